// SPDX-License-Identifier: MIT
#pragma once

// The ticks of a chart's axis: a whole number of equal steps of 1, 2 or 5 times
// a power of ten, so that the labels stay short and drawing them always ends,
// whatever values the chart holds.

#include <QStringList>

namespace corvalen::plot {

struct Axis {
    double from = 0.0;
    double step = 1.0;
    int intervals = 1;  // the ticks are from + k * step for k = 0 ... intervals
    int decimals = 0;   // enough to tell the ticks apart
    double Tick(int k) const { return from + k * step; }
    double To() const { return Tick(intervals); }
};

// About six steps covering `low` to `high`. A span too narrow to divide in ten
// significant digits (a single value, or two a few units in the last place
// apart) gets an axis centred on that value, where the chart shows it as one
// point. Values that are not finite are no value: with none, the axis is -1 to 1.
Axis NiceAxis(double low, double high);

// "-0.8", "-0.6" ... "0.8": each tick with the axis's decimals, the one at zero
// without a minus sign.
QStringList TickTexts(const Axis& axis);

}  // namespace corvalen::plot
