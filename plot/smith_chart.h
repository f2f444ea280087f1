// SPDX-License-Identifier: MIT
#pragma once

// The load's reflection and the conjugate of the source's on an impedance Smith
// chart. Where the two traces meet, Gs = conj(GL): the pair is conjugate-matched
// at that frequency. Drawn with any QPainter: into a file by the plot module, or
// on a screen.

#include <QPointF>
#include <QSize>
#include <QString>

#include <span>

class QPainter;

namespace corvalen::plot {

// One side: a measured reflection across frequency, or, with no points, a fixed
// |G| with its phase unknown, drawn as a circle.
struct SmithTrace {
    std::span<const double> frequencyHz;  // ascending
    std::span<const double> real;
    std::span<const double> imaginary;
    double fixedGammaMagnitude = 0.0;  // 0 to 1, used when there are no points
    QString name;
};

struct SmithChart {
    SmithTrace load;
    SmithTrace sourceConjugate;  // the conjugate of the source's reflection
};

// The size the plot module writes; the drawing fits whatever size it is given.
inline constexpr QSize kSmithChartSize(940, 1000);

// Where the unit circle went, for a window to paint its cursor over the drawing.
struct SmithChartPlane {
    QPointF centre;
    qreal radius;
};

SmithChartPlane DrawSmithChart(QPainter& painter, QSize size, const SmithChart& chart);

}  // namespace corvalen::plot
