// SPDX-License-Identifier: MIT
#pragma once

// The worst case of a sweep over a band, and the one-off values of two fixed sides.

#include "inputs.h"
#include "sweep.h"
#include "uncertainty.h"
#include "values.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvalen::measured {

// Each the first row of the band where it is largest, taken through the
// two-ports where there are any: the widest limits (a lower limit without a
// value is infinitely wide), and the largest measured |error| (none where a
// phase is unknown).
struct WorstCase {
    std::optional<RowValues> widestLimits;  // none when the band holds no row
    std::optional<RowValues> largestError;
    // Where each side's |G| exceeds 1 in the band, found on the same pass.
    ActiveSides active;
};

WorstCase FindWorstCase(const Sweep& sweep, Band band = {});

// A fixed source and load, directly and through the two-ports if there are
// any: with two-port files, at the frequency of the widest limits among the
// rows they have in common, the worst case over their band.
struct OneOffValues {
    RowValues pair;  // frequencyHz is 0 unless a two-port is a file
    // The interval holding the given probability of the error, equally little
    // of it left on either side.
    std::optional<CoverageIntervalDb> coverage;
    std::optional<CoverageIntervalDb> throughCoverage;
    // With files, what the widest limits were sought over: the rows of
    // gridName inside the range of outsideOf (empty for a single file).
    std::optional<std::size_t> rows;
    std::string gridName;
    std::string outsideOf;
    touchstone::Warnings warnings;  // what the two-ports' files lacked, and a chain beyond reach
};

// Said where some phase is unknown but the chain's coverage interval is not given.
inline constexpr std::string_view kBeyondReach =
    "the chain's standard uncertainty and coverage interval are beyond reach (a loop that can vanish, "
    "or more than a second's work): its limits only";

// Reads the two-ports' files if there are any; throws MeasuredError when one
// cannot be read. Both sides must be fixed values; 0 < coverageProbability < 1.
OneOffValues ComputeOneOff(const BenchInput& input, double coverageProbability);
// The same for a bench already read (or given from memory): both sides fixed.
OneOffValues ComputeOneOff(const Bench& bench, double coverageProbability);

}  // namespace corvalen::measured
