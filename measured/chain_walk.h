// SPDX-License-Identifier: MIT
#pragma once

// The law of the mismatch error through a chain of any length, carried element
// by element from the load to the source (docs/uncertainty.md, "A chain of any
// length"). Where a reflection's phase is uniform, only its magnitude matters
// further on, so the state between two elements is the joint law of r^2 = |Gamma|^2
// (on Chebyshev nodes) and of the error accumulated so far (on an even grid);
// each element's unknown phases are averaged as it is passed.

#include <complex>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace corvalen::measured {

// One element as the walk from the load meets it: near faces the load (S22),
// far faces the source (S11), transfer is S21 S12. Of a pad only the magnitudes count.
struct WalkElement {
    std::complex<double> near, far, transfer;
    bool phaseKnown;
};

// A chain in which every reflection met has a uniform phase of its own: the
// load's magnitude (its phase unknown, or made irrelevant by a pad), the
// elements from the load toward the source, and the source's magnitude, whose
// junction is averaged over a uniform phase. A measured element next to a
// measured end is folded into that end beforehand, its factor of D in offsetNepers.
struct WalkChain {
    double loadMagnitude;
    std::vector<WalkElement> fromLoad;
    double sourceMagnitude;
    double offsetNepers;
};

// What a pad does to a reflection of uniform phase, averaged over its phases
// once for every row of a sweep (they do not change with frequency): from each
// Chebyshev node of r^2 on [0, reach^2] (reach 1: all a passive side can have;
// more, behind another pad), the law of r^2 it passes on and the moments of its
// loop's share of the error.
class PadAverages {
public:
    PadAverages(const WalkElement& pad, double reach);
    ~PadAverages();
    PadAverages(PadAverages&&) noexcept;
    PadAverages& operator=(PadAverages&&) noexcept;
    // Whether it is this pad's, and can stand for its averages: a pad whose
    // loop's singularity in r^2, at 1 / |S22|^2, lies far enough from
    // [0, reach^2] for 16 nodes.
    bool Holds(const WalkElement& element) const;
    // The largest |Gamma| it takes, and the largest it passes on.
    double Reach() const;
    double PassesOn() const;

    struct Table;
    const Table& Averages() const { return *table_; }

private:
    WalkElement pad_;
    bool usable_;
    std::unique_ptr<Table> table_;
};

// Whether some element of the chain is a pad one of `pads` holds.
bool Reuses(const WalkChain& chain, std::span<const PadAverages> pads);

// Whether every loop 1 - near Gamma the walk meets stays clear of vanishing
// (below 0.99 in magnitude whatever the phases): not so where a chain's pads
// reflect more than their loss allows a passive pad, or a gain reflects back.
bool Walkable(const WalkChain& chain);

// The mean and variance of ln |D| in nepers, exact but for rounding: each
// element's averages converge geometrically, and the law of r^2 is carried on
// enough nodes for every smooth function of it that follows.
struct WalkMoments {
    double meanNepers;
    double varianceNepers2;
};
// Only for a walkable chain; a pad that one of `pads` holds is not averaged
// again where the |Gamma| it meets stays within that one's reach.
WalkMoments WalkedMoments(const WalkChain& chain, std::span<const PadAverages> pads = {});

// About how long WalkedMoments takes for the chain, in nanoseconds of the
// 2-core machine the benchmarks run on.
double WalkWorkNs(const WalkChain& chain, std::span<const PadAverages> pads = {});

// The lowTail and highTail quantiles of ln |D| in nepers, from the law carried
// on an even grid of the error (the distribution as a whole, so both tails at
// once); empty where the chain is not walkable or the grid would take more than
// a second or so.
struct WalkQuantiles {
    double lowNepers;
    double highNepers;
};
std::optional<WalkQuantiles> WalkedQuantiles(const WalkChain& chain, double lowTail, double highTail);

}  // namespace corvalen::measured
