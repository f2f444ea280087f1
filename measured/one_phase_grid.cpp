// SPDX-License-Identifier: MIT
#include "one_phase_grid.h"

#include "dilogarithm.h"
#include "quantities.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace corvalen::measured {
namespace {

using Complex = std::complex<double>;
constexpr double kSeriesOnlyBelow = 1e-16;

// The finest grid's points, made as UnitCircle makes any grid's: a point i of n
// is at 2 pi i / n, the same double as 2 pi (i k) / (n k) for k a power of two.
const std::array<Complex, OnePhaseGrid::kMostPoints>& Circle()
{
    static const std::array<Complex, OnePhaseGrid::kMostPoints> circle = [] {
        std::array<Complex, OnePhaseGrid::kMostPoints> points{};
        for (int i = 0; i < OnePhaseGrid::kMostPoints; ++i)
            points[static_cast<std::size_t>(i)] = std::polar(1.0, 2.0 * std::numbers::pi * i / OnePhaseGrid::kMostPoints);
        return points;
    }();
    return circle;
}

}  // namespace

bool OnePhaseGrid::Fits(const Termination& source, std::span<const ChainElement> elements, const Termination& load,
                        InnerJunction inner)
{
    return elements.size() == 1 && elements.front().phaseKnown && !source.gamma && !load.gamma && inner.junction == 0
           && inner.outerPhases == 1;
}

OnePhaseGrid::OnePhaseGrid(const Termination& source, const ChainElement& element, const Termination& load,
                           int fewestPoints)
    : sourceMagnitude_(source.gammaMagnitude)
    , loadMagnitude_(load.gammaMagnitude)
    , element_(element)
    , fewestStride_(kMostPoints / static_cast<std::size_t>(std::clamp(fewestPoints, 1, kMostPoints)))
{
}

void OnePhaseGrid::Sample(std::size_t stride)
{
    // The points this grid adds: every one at first, else those between the last
    // grid's (strides are powers of two).
    std::array<std::size_t, kMostPoints> added;
    std::size_t count = 0;
    for (std::size_t p = 0; p < kMostPoints; p += stride)
        if (stride_ == 0 || (p & (stride_ - 1)) != 0)
            added[count++] = p;
    // The walk from the load through the element to the source's junction, as
    // WalkFrom and PairSamples take it: the load's reflection turned round the circle.
    // The dilogarithms wait until every sample's argument is known.
    const double sourceMagnitude = Magnitude(Complex(sourceMagnitude_));
    const std::array<Complex, kMostPoints>& circle = Circle();
    std::array<double, kMostPoints> x;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = added[i];
        const Complex gamma = loadMagnitude_ * circle[p];
        const Complex loop = 1.0 - element_.s22 * gamma;
        const Complex reflection = element_.s11 + element_.s21s12 * gamma / loop;
        const double rest = 0.5 * std::log(std::norm(loop));
        const double r = sourceMagnitude * Magnitude(reflection);
        norms_[p] = std::norm(reflection);
        means_[p] = rest + ConditionalMeanNepers(r);
        x[i] = r > 1.0 ? 1.0 / (r * r) : r * r;  // as ConditionalVarianceNepers2 takes it
    }
    std::array<double, kMostPoints> li2;
    Dilogarithms(std::span(x).first(count), li2);
    for (std::size_t i = 0; i < count; ++i)
        variances_[added[i]] = 0.5 * li2[i];
    stride_ = stride;
}

std::optional<double> OnePhaseGrid::VarianceNepers2(int pointsPerPhase)
{
    if (pointsPerPhase < 1 || pointsPerPhase > kMostPoints || kMostPoints % pointsPerPhase != 0)
        return std::nullopt;
    const auto points = static_cast<std::size_t>(pointsPerPhase);
    const std::size_t stride = kMostPoints / points;
    if (stride_ == 0 || stride < stride_)
        Sample(std::min(stride, fewestStride_));
    double largestNorm = 0.0;
    for (std::size_t p = 0; p < kMostPoints; p += stride) {
        if (std::isnan(norms_[p]))
            return std::nullopt;
        largestNorm = std::max(largestNorm, norms_[p]);
    }
    // With one state on the source's side, the series only pays below a largest
    // product of 1e-16 (it would take over one term a state): the logarithms that
    // tell are spared above it.
    const double largest = std::norm(Complex(sourceMagnitude_)) * largestNorm;
    if (largest < kSeriesOnlyBelow && Separates(largest, 1, points))
        return std::nullopt;
    // SampleVarianceNepers2's sums, in the grid's order.
    double mean = 0.0;
    for (std::size_t p = 0; p < kMostPoints; p += stride)
        mean += means_[p];
    mean /= static_cast<double>(points);
    double sum = 0.0;
    for (std::size_t p = 0; p < kMostPoints; p += stride) {
        const double centred = means_[p] - mean;
        sum += centred * centred + variances_[p];
    }
    return sum / static_cast<double>(points);
}

}  // namespace corvalen::measured
