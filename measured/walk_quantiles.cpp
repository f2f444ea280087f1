// SPDX-License-Identifier: MIT
// The coverage interval of the walk element by element: the whole law of the
// error carried on an even grid beside the nodes of |Gamma|^2 (docs/uncertainty.md).
#include "chain_walk.h"

#include "walk_steps.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace corvalen::measured {

using namespace walk;

namespace {

// The grid of the accumulated error: this many points per standard deviation of
// the whole error (the quantiles move by under 1e-5 dB against twice as many).
constexpr double kGridPointsPerSigma = 64.0;
// About 0.8 s of work on the 2-core machine the benchmark runs on: the grid's
// points times the kernels' lengths times the nodes squared, summed over the
// elements (sixteen pads of 3 dB, VSWR 1.3 between 1.5 and 2.0: 3.5e8, 72 ms).
constexpr double kMostGridWork = 4e9;

// The error accumulated from the load, on points origin + k cell, each node's
// law a row of masses: a value between points is spread over the four points
// around it with cubic Lagrange weights, which keeps its mass and its first
// three moments, so the grid neither widens nor shifts the law.
class ErrorGrid {
public:
    ErrorGrid(double lowNepers, double highNepers, double cellNepers)
        : origin_(lowNepers - 2.0 * cellNepers)
        , cell_(cellNepers)
        , points_(static_cast<std::size_t>(std::ceil((highNepers - lowNepers) / cellNepers)) + 5)
    {
    }

    std::size_t Points() const { return points_; }
    double Cell() const { return cell_; }
    double At(std::size_t k) const { return origin_ + static_cast<double>(k) * cell_; }

    // Where nepers lies, in points from point 0.
    double Position(double nepers) const { return (nepers - origin_) / cell_; }

    // out += row convolved with a kernel whose entry 0 is a shift of `shift` points;
    // what would fall outside the grid is kept at its ends.
    void Convolve(std::span<const double> row, std::span<const double> kernel, long shift, std::vector<double>& out) const
    {
        const long size = static_cast<long>(out.size()), length = static_cast<long>(kernel.size());
        for (long k = 0; k < static_cast<long>(row.size()); ++k) {
            const double mass = row[static_cast<std::size_t>(k)];
            if (mass == 0.0)
                continue;
            const long from = std::max(0L, -(k + shift)), to = std::min(length, size - (k + shift));
            double* const target = out.data() + (k + shift);
            for (long d = from; d < to; ++d)
                target[d] += mass * kernel[static_cast<std::size_t>(d)];
            for (long d = 0; d < std::min(from, length); ++d)
                out.front() += mass * kernel[static_cast<std::size_t>(d)];
            for (long d = std::max(to, 0L); d < length; ++d)
                out.back() += mass * kernel[static_cast<std::size_t>(d)];
        }
    }

private:
    double origin_, cell_;
    std::size_t points_;
};

// Where a value at `position` (in points) goes on a grid: the four points around
// it, from `first`, with cubic Lagrange weights.
struct Stencil {
    long first;
    double weights[4];
};
Stencil StencilAt(double position)
{
    const double below = std::floor(position), d = position - below;
    return {static_cast<long>(below) - 1,
            {-d * (d - 1.0) * (d - 2.0) / 6.0, (d + 1.0) * (d - 1.0) * (d - 2.0) / 2.0,
             -(d + 1.0) * d * (d - 2.0) / 2.0, (d + 1.0) * d * (d - 1.0) / 6.0}};
}

// Adds `mass` through a stencil to a row, what falls outside at its ends.
void Deposit(std::vector<double>& row, const Stencil& stencil, double mass)
{
    const long last = static_cast<long>(row.size()) - 1;
    for (long t = 0; t < 4; ++t)
        row[static_cast<std::size_t>(std::clamp(stencil.first + t, 0L, last))] += mass * stencil.weights[t];
}

// The kernel of one junction's share of ln |D| for a loop of radius c: its
// first point, in cells, and how many it spans (with the stencil's margins).
struct KernelSpan {
    long first;
    std::size_t length;
};
KernelSpan SpanOf(double radius, double cellNepers)
{
    const double low = std::log(std::max(1.0 - radius, 1e-300)), high = std::log1p(radius);
    const long first = static_cast<long>(std::floor(low / cellNepers)) - 2;
    return {first, static_cast<std::size_t>(static_cast<long>(std::floor(high / cellNepers)) + 4 - first)};
}

// The quantile where the cumulative sum of the masses, a CDF at the midpoints
// between points, reaches `tail`: inverse cubic interpolation through the four
// midpoints around the crossing, the CDF being smooth and rising there.
double Quantile(const ErrorGrid& grid, const std::vector<double>& masses, double tail)
{
    std::vector<double> below(masses.size());
    double sum = 0.0;
    for (std::size_t k = 0; k < masses.size(); ++k)
        below[k] = sum += masses[k];
    const std::size_t crossing = static_cast<std::size_t>(std::lower_bound(below.begin(), below.end(), tail) - below.begin());
    const std::size_t first = std::clamp(crossing, std::size_t{2}, below.size() - 2) - 2;
    double nepers = 0.0;
    for (std::size_t a = first; a < first + 4; ++a) {
        double weight = grid.At(a) + 0.5 * grid.Cell();
        for (std::size_t b = first; b < first + 4; ++b)
            weight *= b == a ? 1.0 : (tail - below[b]) / (below[a] - below[b]);
        nepers += weight;
    }
    return nepers;
}


}  // namespace

std::optional<WalkQuantiles> WalkedQuantiles(const WalkChain& chain, double lowTail, double highTail)
{
    // The grid: its cell from the whole error's spread, its range from the
    // largest loop at each junction; and the work it will take, refused past a second or so.
    if (!Walkable(chain))
        return std::nullopt;
    const WalkMoments moments = WalkedMoments(chain);
    const double cell = std::sqrt(moments.varianceNepers2) / kGridPointsPerSigma;
    if (!(cell > 0.0))
        return std::nullopt;
    std::vector<Nodes> nodes{Nodes(chain.loadMagnitude, chain.loadMagnitude)};
    double low = 0.0, high = 0.0, kernels = 0.0;
    for (const WalkElement& element : chain.fromLoad) {
        const double radius = std::abs(element.near) * nodes.back().HighMagnitude();
        low += std::log(std::max(1.0 - radius, 1e-300)), high += std::log1p(radius);
        kernels += static_cast<double>(SpanOf(radius, cell).length * nodes.back().size()) * kMagnitudeNodes;
        nodes.push_back(NodesAfter(nodes.back(), element));
    }
    const double lastRadius = chain.sourceMagnitude * nodes.back().HighMagnitude();
    low += std::log(std::max(1.0 - lastRadius, 1e-300)), high += std::log1p(lastRadius);
    low = std::max(low, moments.meanNepers - chain.offsetNepers - 40.0 * std::sqrt(moments.varianceNepers2));
    const ErrorGrid grid(low, high, cell);
    if (kernels * static_cast<double>(grid.Points()) > kMostGridWork)
        return std::nullopt;

    std::vector<std::vector<double>> rows(1, std::vector<double>(grid.Points()));
    Deposit(rows[0], StencilAt(grid.Position(0.0)), 1.0);
    for (std::size_t e = 0; e < chain.fromLoad.size(); ++e) {
        const Nodes& in = nodes[e];
        const Nodes& out = nodes[e + 1];
        std::vector<std::vector<double>> next(out.size(), std::vector<double>(grid.Points()));
        for (std::size_t i = 0; i < in.size(); ++i) {
            const double r = in.Magnitude(i);
            const KernelSpan span = SpanOf(std::abs(chain.fromLoad[e].near) * r, cell);
            std::vector<std::vector<double>> kernel(out.size(), std::vector<double>(span.length));
            Pass(r, chain.fromLoad[e], out, cell, [&](double weight, double nepers, std::span<const double> spread) {
                const Stencil stencil = StencilAt(nepers / cell - static_cast<double>(span.first));
                for (std::size_t j = 0; j < out.size(); ++j)
                    Deposit(kernel[j], stencil, weight * spread[j]);
            });
            for (std::size_t j = 0; j < out.size(); ++j)
                grid.Convolve(rows[i], kernel[j], span.first, next[j]);
        }
        rows.swap(next);
    }
    // The source's junction, its phase uniform: symmetric in theta, so half the circle.
    std::vector<double> total(grid.Points());
    const Nodes& last = nodes.back();
    for (std::size_t i = 0; i < last.size(); ++i) {
        const double r = chain.sourceMagnitude * last.Magnitude(i);
        const KernelSpan span = SpanOf(r, cell);
        std::vector<double> kernel(span.length);
        const int samples = LoopSamples(r, cell);
        for (int p = 0; p < samples; ++p) {
            const double nepers = 0.5 * std::log(std::norm(1.0 - std::polar(r, std::numbers::pi * (p + 0.5) / samples)));
            Deposit(kernel, StencilAt(nepers / cell - static_cast<double>(span.first)), 1.0 / samples);
        }
        grid.Convolve(rows[i], kernel, span.first, total);
    }
    return WalkQuantiles{chain.offsetNepers + Quantile(grid, total, lowTail), chain.offsetNepers + Quantile(grid, total, highTail)};
}

}  // namespace corvalen::measured
