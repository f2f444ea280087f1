// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"
#include "measured/values.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvalen::cli {

// One-off values of a fixed source and load, with a two-port between if
// given, as text for a person or one JSON object. Returns the exit status: 0,
// or 2 when the two-port's file cannot be read (then nothing goes to `sink`).
int RunMismatchCommand(const MismatchCommand& command, const std::function<void(std::string_view)>& sink);

// Whether `twoPorts` ("The two-port", "The chain") narrow or widen the limits
// of `row`, which has values through them, and by how much: one sentence and a line end.
std::string Verdict(const measured::RowValues& row, std::string_view twoPorts);
// What a chain of `elements` two-ports is called in that sentence.
std::string_view ChainSubject(std::size_t elements);

}  // namespace corvalen::cli
