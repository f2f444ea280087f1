// SPDX-License-Identifier: MIT
#pragma once

// The grid over a chain's unknown phases, for chains of up to a few of them
// (docs/uncertainty.md, "Through a two-port and a chain: conditioning"): walked
// from each end to the junction where one side's reflection has a uniform phase
// of its own, ln |D| = rest + ln |1 - r e^(j theta)| at every point of the grid,
// theta uniform; the periodic trapezoid rule in each phase.

#include "uncertainty.h"

#include <cmath>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace corvalen::measured {

// One point of the grid: the rest of ln |D| and the product r of the two
// reflections that meet at the junction.
struct PhaseSample {
    double restNepers;
    double r;
};

// The junction where the innermost phase is taken, and how many phases are left
// to average on the grid (all but that one).
struct InnerJunction {
    std::size_t junction;  // 0 at the source, the elements' count at the load
    int outerPhases;
};
// Where it leaves the fewest phases to average over, split as evenly as may be
// between the walks from either end, whose variances can then separate. Some
// phase must be unknown.
InnerJunction ChooseInnerJunction(const Termination& source, std::span<const ChainElement> elements,
                                  const Termination& load);

class PhaseGrid {
public:
    PhaseGrid(const Termination& source, std::span<const ChainElement> elements, const Termination& load,
              InnerJunction inner);

    // The one sample where no outer phase is left.
    PhaseSample OnlySample() const;
    std::vector<PhaseSample> Samples(int pointsPerPhase) const;
    // The variance of ln |D| on the grid, the two walks' variances separated where they can be.
    double VarianceNepers2(int pointsPerPhase) const;

private:
    Termination source_;
    Termination load_;
    std::span<const ChainElement> elements_;
    std::size_t junction_;
};

// The variance of ln |D| over the samples, each mixing its closed form over
// theta: mean max(0, ln r), variance Li2(min(r, 1 / r)^2) / 2.
double SampleVarianceNepers2(std::span<const PhaseSample> samples);
// Those two closed forms of one sample, given the product r of the reflections at the junction.
inline double ConditionalMeanNepers(double r)
{
    return r > 1.0 ? std::log(r) : 0.0;
}
double ConditionalVarianceNepers2(double r);

// Whether the variance over the pairs of two walks' states, whose products of
// squared reflections reach `largest`, is summed faster as the dilogarithm's
// series, one walk at a time, than pair by pair.
bool Separates(double largest, std::size_t leftStates, std::size_t rightStates);

// The lowTail and highTail quantiles of ln |D| over the samples, from the mix
// of their closed-form distributions.
std::pair<double, double> SampleQuantilesNepers(std::span<const PhaseSample> samples, double lowTail, double highTail);

}  // namespace corvalen::measured
