// SPDX-License-Identifier: MIT
#pragma once

// Whether the two-ports between source and load narrow or widen the
// uncertainty limits, in one sentence.

#include "measured/values.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalen::measuredtext {

// Whether `twoPorts` ("The two-port", "The chain") narrow or widen the limits
// of `row`, which has values through them, and by how much: one sentence and a line end.
std::string Verdict(const measured::RowValues& row, std::string_view twoPorts);

// What a chain of `elements` two-ports is called in that sentence.
std::string_view ChainSubject(std::size_t elements);

}  // namespace corvalen::measuredtext
