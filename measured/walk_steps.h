// SPDX-License-Identifier: MIT
#pragma once

// The steps of the walk element by element (chain_walk.h): the Chebyshev nodes
// a law of |Gamma|^2 is carried on, the range of |Gamma| an element passes on,
// and one node passed through an element, sample by sample of its loop's phase.

#include "chain_walk.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

namespace corvalen::measured::walk {

using Complex = std::complex<double>;

// Chebyshev nodes of r^2 between two elements. The moments that follow are
// analytic in r^2 and converge geometrically in the nodes; a tail probability is
// less smooth in r^2 where a single junction dominates what follows, and 16
// nodes keep it within 1e-5 dB from three elements on (docs/uncertainty.md).
inline constexpr int kMagnitudeNodes = 16;
// A loop's phase is sampled until the periodic trapezoid rule's error,
// about (|near| r)^samples, is below this.
inline constexpr double kLoopTolerance = 1e-17;
inline constexpr int kFewestLoopSamples = 8;
// Phase samples enough to put this many in each cell of the error grid a
// junction's error spans, so that none is skipped.
inline constexpr double kSamplesPerCell = 4.0;
// The spread of the reflection passed on, smooth in the loop's phase, is
// computed on at least this many of its samples and interpolated linearly
// between them: the quantiles move by about 4e-6 dB against twice as many.
inline constexpr int kFewestSpreadSamples = 64;

// Points on which a law of r^2 is carried: Chebyshev nodes of the first kind on
// [low, high], one node where the range is a point.
class Nodes {
public:
    Nodes(double lowMagnitude, double highMagnitude)
        : lowMagnitude_(lowMagnitude)
        , highMagnitude_(highMagnitude)
    {
        const double low = lowMagnitude * lowMagnitude, high = highMagnitude * highMagnitude;
        const int count = high - low > 1e-12 * (1.0 + high) ? kMagnitudeNodes : 1;
        for (int j = 0; j < count; ++j) {
            const double angle = std::numbers::pi * (2.0 * j + 1.0) / (2.0 * count);
            squares_.push_back(0.5 * (low + high) + 0.5 * (high - low) * std::cos(angle));
            barycentric_.push_back((j % 2 == 0 ? 1.0 : -1.0) * std::sin(angle));
        }
    }

    std::size_t size() const { return squares_.size(); }
    double Magnitude(std::size_t j) const { return std::sqrt(std::max(squares_[j], 0.0)); }
    double LowMagnitude() const { return lowMagnitude_; }
    double HighMagnitude() const { return highMagnitude_; }

    // The weights that spread a point at r^2 = square over the nodes, keeping the
    // mean of every polynomial of degree below size(): Lagrange's, in barycentric form.
    void Spread(double square, std::span<double> weights) const
    {
        double sum = 0.0;
        for (std::size_t j = 0; j < size(); ++j) {
            const double gap = square - squares_[j];
            if (gap == 0.0) {
                std::fill(weights.begin(), weights.end(), 0.0);
                weights[j] = 1.0;
                return;
            }
            weights[j] = barycentric_[j] / gap;
            sum += weights[j];
        }
        for (double& w : weights)
            w /= sum;
    }

private:
    double lowMagnitude_, highMagnitude_;
    std::vector<double> squares_, barycentric_;
};


// The range of |Gamma| passed on by an element, whatever the phases, from that of the one it meets.
struct MagnitudeRange {
    double low, high;
};
MagnitudeRange RangeAfter(MagnitudeRange in, const WalkElement& element);
Nodes NodesAfter(const Nodes& in, const WalkElement& element);

// Samples of a loop 1 - c e^(j phi), |c| = radius, for the trapezoid rule to
// reach kLoopTolerance and, on a grid of cells of cellNepers (0: none), to put
// kSamplesPerCell samples in every cell its logarithm spans.
int LoopSamples(double radius, double cellNepers);

// The loop 1 - near Gamma at |Gamma| = r and the loop's phase phi.
Complex LoopAt(double r, const WalkElement& element, double phi);

// How the reflection an element passes on spreads over the nodes `out`, at
// |Gamma| = r and the loop's phase phi. A pad's second phase (of S21 S12 against
// S11) is averaged exactly: r'^2 is of degree one in its cosine, the spread of
// degree out.size() - 1 in r'^2, so out.size() + 1 samples hold it exactly.
void SpreadAt(double r, const WalkElement& element, const Nodes& out, double phi, std::span<double> spread);

// Passes one node's |Gamma| = r through an element: for each sample of the
// unknown phase of the loop 1 - near Gamma, `take` gets the sample's weight, the
// loop's logarithm (the junction's share of ln |D|) and how the reflection passed
// on spreads over the nodes `out`. The spread, smooth in the phase, is computed
// on as many samples as its own convergence needs and interpolated linearly
// between them for the finer samples a grid of cellNepers asks for.
template <typename Take>
void Pass(double r, const WalkElement& element, const Nodes& out, double cellNepers, Take&& take)
{
    const double radius = std::abs(element.near) * r;
    int coarse = cellNepers > 0.0 ? std::max(LoopSamples(radius, 0.0), kFewestSpreadSamples) : LoopSamples(radius, 0.0);
    if (element.phaseKnown && r > 0.0)
        coarse = std::max(coarse, static_cast<int>(out.size()) + 1);
    if (r == 0.0 || (radius == 0.0 && !element.phaseKnown))
        coarse = 1;
    const int finer = coarse == 1 ? 1 : (LoopSamples(radius, cellNepers) + coarse - 1) / coarse;
    std::vector<std::vector<double>> spreads(static_cast<std::size_t>(coarse), std::vector<double>(out.size()));
    for (int c = 0; c < coarse; ++c)
        SpreadAt(r, element, out, 2.0 * std::numbers::pi * c / coarse, spreads[static_cast<std::size_t>(c)]);
    std::vector<double> spread(out.size());
    const int samples = coarse * finer;
    for (int p = 0; p < samples; ++p) {
        const std::vector<double>& before = spreads[static_cast<std::size_t>(p / finer)];
        const std::vector<double>& after = spreads[static_cast<std::size_t>((p / finer + 1) % coarse)];
        const double share = static_cast<double>(p % finer) / finer;
        for (std::size_t j = 0; j < spread.size(); ++j)
            spread[j] = before[j] + share * (after[j] - before[j]);
        const Complex loop = LoopAt(r, element, 2.0 * std::numbers::pi * p / samples);
        take(1.0 / samples, 0.5 * std::log(std::norm(loop)), std::span<const double>(spread));
    }
}


// The last junction, at the source: ln |1 - r e^(j theta)| over a uniform theta
// has mean max(0, ln r) and variance Li2(min(r, 1 / r)^2) / 2.
double LastMeanNepers(double r);
double LastVarianceNepers2(double r);

}  // namespace corvalen::measured::walk
