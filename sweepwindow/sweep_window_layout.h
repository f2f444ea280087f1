// SPDX-License-Identifier: MIT
#pragma once

// The window's geometry in one place, in pixels at 96 dpi, scaled with the
// logical DPI as the texts are; Qt's layouts place the rest.

#include <QSize>
#include <QWidget>

namespace corvalen::sweepwindow::layout {

inline constexpr QSize kWindowSize(1280, 820);
inline constexpr QSize kSweepChartMinimum(360, 260);
inline constexpr QSize kSmithChartMinimum(260, 280);
inline constexpr int kReadoutMinimumWidth = 330;
inline constexpr int kReadoutMaximumWidth = 480;
inline constexpr int kInputMinimumWidth = 320;
// The sweep plot's share of the charts' width against the Smith chart's.
inline constexpr int kSweepChartStretch = 1;
inline constexpr int kSmithChartStretch = 1;

// The layout table's pixels at a widget's logical DPI, which its texts are drawn at.
inline int Scaled(const QWidget* widget, int pixelsAt96Dpi)
{
    return pixelsAt96Dpi * widget->logicalDpiY() / 96;
}

}  // namespace corvalen::sweepwindow::layout
