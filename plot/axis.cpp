// SPDX-License-Identifier: MIT
#include "plot/axis.h"

#include <algorithm>
#include <cmath>

namespace corvalen::plot {

namespace {

// Labels print at most about ten significant digits: a narrower span than this
// fraction of its values would show every tick with the same text.
constexpr double kNarrowestSpan = 1e-9;
// Beyond this no quantity of a chart is meant; it keeps the arithmetic finite.
constexpr double kLargestValue = 1e300;
constexpr double kSmallestValue = 1e-300;
// Six steps at 1, 2 or 5 times a power of ten never need more than twelve.
constexpr int kMostIntervals = 12;

Axis Divided(double low, double high)
{
    const double raw = high / 6.0 - low / 6.0;  // halves first: high - low may overflow
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / power;
    const double step = (normal < 1.5 ? 1.0 : normal < 3.0 ? 2.0 : normal < 7.0 ? 5.0 : 10.0) * power;
    // A value a rounding error past a tick does not earn a step of its own.
    const double first = std::floor(low / step + 1e-9);
    const double last = std::ceil(high / step - 1e-9);
    const int intervals = std::clamp(static_cast<int>(last - first), 1, kMostIntervals);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return {first * step, step, intervals, decimals};
}

Axis AroundOneValue(double value)
{
    const double pad = std::abs(value) > kSmallestValue ? std::abs(value) * 0.1 : 1.0;
    return Divided(value - pad, value + pad);
}

}  // namespace

Axis NiceAxis(double low, double high)
{
    if (!std::isfinite(low) && !std::isfinite(high))
        return AroundOneValue(0.0);
    if (!std::isfinite(low) || !std::isfinite(high))
        low = high = std::isfinite(low) ? low : high;
    const double from = std::clamp(std::min(low, high), -kLargestValue, kLargestValue);
    const double to = std::clamp(std::max(low, high), -kLargestValue, kLargestValue);
    const double magnitude = std::max(std::abs(from), std::abs(to));
    if (!(to - from > std::max(magnitude * kNarrowestSpan, kSmallestValue)))
        return AroundOneValue(from / 2 + to / 2);
    return Divided(from, to);
}

QStringList TickTexts(const Axis& axis)
{
    QStringList texts;
    for (int k = 0; k <= axis.intervals; ++k) {
        const double value = axis.Tick(k);
        texts.append(QString::number(std::abs(value) < axis.step / 2 ? 0.0 : value, 'f', axis.decimals));
    }
    return texts;
}

}  // namespace corvalen::plot
