// SPDX-License-Identifier: MIT
#pragma once

// The quantities of a row, each spelled once: the window's readout, the sweep
// table's columns, the mismatch text and the mismatch JSON all take their
// labels, units, column names and keys from this table.

#include "measured/values.h"
#include "measured/worst_case.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvalen::measuredtext {

// Whose value a quantity is: the row's frequency, a side, the pair, the
// mismatch directly or through the two-ports.
enum class Part { Frequency, Source, Load, Pair, Direct, Through };

struct Quantity {
    Part part;
    // As a person reads it. A side's is shown after the side's name, "Source
    // VSWR", or under it in a column of the mismatch text.
    std::string_view label;
    std::string_view unit;     // "dB", "Hz", or empty for a ratio
    std::string_view column;   // in the sweep's table; empty where the table has none
    std::string_view jsonKey;  // in the mismatch JSON; empty where it has none
    // What a person is told where the row has no value, and why: an error is
    // unknown without every phase, a known error has no spread.
    std::string_view absent;
    std::optional<double> (*value)(const measured::RowValues& row);
    // The values of rows in a row into `out`, `absent` where a row has none:
    // for a block of rows, one call in place of one a row.
    void (*fill)(std::span<const measured::RowValues> rows, double* out, double absent);
};

// In the order every output shows them: the frequency, the source, the load,
// the pair, then the mismatch directly and through the two-ports.
std::span<const Quantity> Quantities();

// The quantities of one part, in that order.
std::span<const Quantity> QuantitiesOf(Part part);

// The label as the readout shows it: a side's after the side's name, "Source
// return loss"; any other as it is.
std::string ReadoutLabel(const Quantity& quantity);

// The one-off values under the mismatch JSON's keys, in its order: each
// quantity's value (none where there is none), the coverage interval after the
// standard uncertainty it goes with, and the frequency of a measured chain's row.
using KeyedValues = std::vector<std::pair<std::string_view, std::optional<double>>>;
KeyedValues OneOffFields(const measured::OneOffValues& oneOff, double coverageProbability);

}  // namespace corvalen::measuredtext
