// SPDX-License-Identifier: MIT
#pragma once

// The worst case of a sweep over a band, and the one-off values of two fixed sides.

#include "inputs.h"
#include "sweep.h"
#include "values.h"

#include <cstddef>
#include <optional>

namespace corvalen::measured {

// Each the first row of the band where it is largest, taken through the
// two-port where there is one: the widest limits (a lower limit without a
// value is infinitely wide), and the largest measured |error| (none where a
// phase is unknown).
struct WorstCase {
    std::optional<RowValues> widestLimits;  // none when the band holds no row
    std::optional<RowValues> largestError;
};

WorstCase FindWorstCase(const Sweep& sweep, Band band = {});

// A fixed source and load, and through the two-port if there is one: for a
// two-port file at the frequency of its widest limits, the worst case over its band.
struct OneOffValues {
    RowValues pair;  // frequencyHz is 0 unless the two-port is a file
    std::optional<std::size_t> twoPortPoints;  // for a file, how many frequencies it has
    touchstone::Warnings warnings;             // what the two-port's file lacked
};

// Reads the two-port's file if there is one; throws MeasuredError when it
// cannot be read. Both sides must be fixed values.
OneOffValues ComputeOneOff(const BenchInput& input);

}  // namespace corvalen::measured
