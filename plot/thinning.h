// SPDX-License-Identifier: MIT
#pragma once

// Pixels are not data: a trace of a hundred thousand points is drawn as the
// points that change what its pixels show, the same in a file and on a screen.
// A point with a value that is not finite breaks the line in both.

#include "plot/drawing.h"

#include <QTransform>

#include <span>

namespace corvalen::plot {

// For a plot across frequency: the points that fall into one pixel column keep
// their first, lowest, highest and last value, in the order they come, so the
// column shows the whole spread of a noisy trace and the line runs on unbroken.
Polyline ColumnEnvelope(std::span<const double> x, std::span<const double> y, const QTransform& toPixels);

// For a curve in the plane: a point is kept when it lies at least three
// quarters of a pixel from each of the last points kept, so a noisy trace that
// wanders about one spot keeps a point for each spot it reaches, and a smooth
// one a point every three quarters of a pixel. The last point of each run stays.
Polyline NearbyThinned(std::span<const double> x, std::span<const double> y, const QTransform& toPixels);

}  // namespace corvalen::plot
