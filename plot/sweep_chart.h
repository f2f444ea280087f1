// SPDX-License-Identifier: MIT
#pragma once

// The plot across frequency: the mismatch uncertainty limits, the measured
// mismatch error and the load's mismatch loss in dB, directly and through a
// two-port. Drawn with any QPainter: into a file by the plot module, or on a screen.

#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

#include <span>

class QPainter;

namespace corvalen::plot {

// Every series has a value for each frequency; an empty one is not drawn.
struct SweepChart {
    std::span<const double> frequencyHz;  // ascending
    std::span<const double> plusDb;
    std::span<const double> minusDb;
    std::span<const double> errorDb;  // empty when a side's phase is unknown
    std::span<const double> mismatchLossDb;
    // Through the two-port named by throughName (all empty without one).
    std::span<const double> throughPlusDb;
    std::span<const double> throughMinusDb;
    std::span<const double> throughErrorDb;  // empty unless every phase is measured
    QString sourceName;
    QString loadName;
    QString throughName;
    // The frequencies where the source's or the load's |G| is above 1, ascending.
    std::span<const double> sourceAboveOneHz;
    std::span<const double> loadAboveOneHz;
};

// The size the plot module writes; the drawing fits whatever size it is given.
inline constexpr QSize kSweepChartSize(1100, 640);

// Where the data went: a window paints its cursor over the drawing with these.
struct SweepChartFrame {
    QRect area;            // the plotting area, in pixels of the drawing
    QTransform toPixels;   // (hertz, dB) to pixels
};

SweepChartFrame DrawSweepChart(QPainter& painter, QSize size, const SweepChart& chart);

}  // namespace corvalen::plot
