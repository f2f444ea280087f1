// SPDX-License-Identifier: MIT
#include "walk_steps.h"

#include "dilogarithm.h"

namespace corvalen::measured::walk {

MagnitudeRange RangeAfter(MagnitudeRange in, const WalkElement& element)
{
    const double near = std::abs(element.near), far = std::abs(element.far), transfer = std::abs(element.transfer);
    const double most = transfer * in.high / std::max(1.0 - near * in.high, 1e-9);
    const double least = element.phaseKnown ? 0.0 : transfer * in.low / (1.0 + near * in.low);
    return {std::max({0.0, far - most, least - far}), far + most};
}

Nodes NodesAfter(const Nodes& in, const WalkElement& element)
{
    const MagnitudeRange out = RangeAfter({in.LowMagnitude(), in.HighMagnitude()}, element);
    return Nodes(out.low, out.high);
}

// Samples of a loop 1 - c e^(j phi), |c| = radius, for the trapezoid rule to
// reach kLoopTolerance and, on a grid of cells of cellNepers (0: none), to put
// kSamplesPerCell samples in every cell its logarithm spans.
int LoopSamples(double radius, double cellNepers)
{
    if (radius <= 0.0)
        return 1;
    double samples = radius < 1.0 ? std::log(kLoopTolerance) / std::log(radius) + 2.0 : 4096.0;
    if (cellNepers > 0.0)
        samples = std::max(samples, kSamplesPerCell * std::log((1.0 + radius) / std::max(1.0 - radius, 1e-9)) / cellNepers);
    return static_cast<int>(std::clamp(std::ceil(samples), static_cast<double>(kFewestLoopSamples), 65536.0));
}

// The loop 1 - near Gamma at |Gamma| = r and the loop's phase phi.
Complex LoopAt(double r, const WalkElement& element, double phi)
{
    const Complex gamma = std::polar(r, phi);
    return 1.0 - (element.phaseKnown ? element.near : Complex(std::abs(element.near))) * gamma;
}

// How the reflection an element passes on spreads over the nodes `out`, at
// |Gamma| = r and the loop's phase phi. A pad's second phase (of S21 S12 against
// S11) is averaged exactly: r'^2 is of degree one in its cosine, the spread of
// degree out.size() - 1 in r'^2, so out.size() + 1 samples hold it exactly.
void SpreadAt(double r, const WalkElement& element, const Nodes& out, double phi, std::span<double> spread)
{
    const Complex loop = LoopAt(r, element, phi);
    if (element.phaseKnown) {
        out.Spread(std::norm(element.far + element.transfer * std::polar(r, phi) / loop), spread);
        return;
    }
    const double far = std::abs(element.far), bounce = std::abs(element.transfer) * r / std::abs(loop);
    const int turns = far > 0.0 && bounce > 0.0 ? static_cast<int>(out.size()) + 1 : 1;
    std::vector<double> weights(out.size());
    std::fill(spread.begin(), spread.end(), 0.0);
    for (int k = 0; k < turns; ++k) {
        out.Spread(far * far + bounce * bounce + 2.0 * far * bounce * std::cos(2.0 * std::numbers::pi * k / turns), weights);
        for (std::size_t j = 0; j < spread.size(); ++j)
            spread[j] += weights[j] / turns;
    }
}

// The last junction, at the source: ln |1 - r e^(j theta)| over a uniform theta
// has mean max(0, ln r) and variance Li2(min(r, 1 / r)^2) / 2.
double LastMeanNepers(double r)
{
    return r > 1.0 ? std::log(r) : 0.0;
}

double LastVarianceNepers2(double r)
{
    return 0.5 * Dilogarithm(r > 1.0 ? 1.0 / (r * r) : r * r);
}

}  // namespace corvalen::measured::walk
