// SPDX-License-Identifier: MIT
#pragma once

// A source and a load, each measured across frequency or a fixed value, and the
// mismatch quantities of the pair at every frequency, in double precision.

#include "bench.h"
#include "chain_walk.h"
#include "quantities.h"
#include "values.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace corvalen::measured {

// The frequencies from fromHz to toHz, both included.
struct Band {
    double fromHz = -std::numeric_limits<double>::infinity();
    double toHz = std::numeric_limits<double>::infinity();
};

// Where each side's |G| exceeds 1 among the rows of a run.
struct ActiveSides {
    ActivePoints source;
    ActivePoints load;
};

// The rows of a source paired with a load, through the chain of two-ports if
// there is one, one per frequency, ascending: the load's frequencies (else the
// source's, else the first two-port file's) inside the ranges of the others
// measured, which are interpolated linearly in their real and imaginary parts.
class Sweep {
public:
    // Throws MeasuredError when no row can be made: nothing measured or no
    // frequency in common. The bench must outlive the sweep.
    explicit Sweep(const Bench& bench);

    std::size_t RowCount() const { return end_ - first_; }
    // The name of what gives the rows, how many frequencies it has, and how
    // many of them are left out.
    const std::string& GridName() const { return *gridName_; }
    std::size_t GridPoints() const { return grid_->size(); }
    std::size_t GridPointsOutside() const { return grid_->size() - RowCount(); }
    // What the grid's points left out lie outside of ("a.s1p, cable.s2p and pad.s2p").
    const std::string& OutsideOf() const { return outsideOf_; }

    // Hands the rows inside `band` to `take` in order, kBlockRows at a time;
    // their standard uncertainties only if asked for.
    ActiveSides Run(const std::function<void(std::span<const RowValues>)>& take, Band band = {},
                    bool withStandardUncertainty = true) const;
    // Whether Run fills the rows of `band` on a helper thread beside the caller's.
    bool RunsOnTwoThreads(Band band = {}, bool withStandardUncertainty = true) const;
    // Where the standard uncertainty through the chain would take a row so long that
    // the sweep would run for minutes: then it is left out of every row.
    bool ThroughUncertaintyBeyondReach() const { return throughUncertaintyBeyondReach_; }
    // The rows' frequencies inside `band`: the grid's own values, without a row computed.
    std::span<const double> Frequencies(Band band = {}) const;
    // The rows inside `band`, to fill a table.
    std::vector<RowValues> Rows(Band band = {}) const;
    // The sides and two-ports at one of the rows' frequencies.
    RowInputs InputsAt(double frequencyHz) const;

    static constexpr std::size_t kBlockRows = 2048;

private:
    class Cursor;
    // The grid's indices of the first row inside `band` and of the one past its last.
    std::pair<std::size_t, std::size_t> RowsIn(Band band) const;
    // The rows at grid points first to first + rows.size() - 1.
    void Fill(std::size_t first, std::span<RowValues> rows, bool withStandardUncertainty) const;

    const Side& source_;
    const Side& load_;
    const std::vector<Through>& chain_;
    // The averages of the chain's pads, which no row changes.
    std::vector<PadAverages> padAverages_;
    bool throughUncertaintyBeyondReach_ = false;
    bool throughUncertainty_ = false;  // the rows have one through the chain: a fixed side or a pad
    const Series<double>* grid_ = nullptr;
    const std::string* gridName_ = nullptr;
    std::string outsideOf_;
    std::size_t first_ = 0;  // the rows' indices in the grid
    std::size_t end_ = 0;
};

}  // namespace corvalen::measured
