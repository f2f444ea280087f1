// SPDX-License-Identifier: MIT
#pragma once

// The text of the sweep's table: a header, then one line per row.

#include "measured/values.h"

#include <string>

namespace corvalen::measuredtext {

// The column names joined by `separator`, with the through columns when the
// bench has two-ports.
std::string SweepHeader(bool withTwoPort, char separator);

// One row as a line, ending in a newline; an error or standard uncertainty
// without a value is an empty field.
void AppendSweepRow(std::string& text, const measured::RowValues& row, char separator);

// Room for a row's line, for reserving a block of them.
constexpr std::size_t SweepRowBytes(bool withTwoPort) { return withTwoPort ? 160 : 110; }

}  // namespace corvalen::measuredtext
