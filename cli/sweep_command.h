// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"

#include <functional>
#include <string_view>

namespace corvalen::cli {

// Reads both sides in full, then writes the header and one row per frequency to
// `sink` in large chunks, notes on stderr, and draws the plot if asked.
// Returns the exit status: 0, 1 when the plot cannot be written, 2 when a file
// cannot be read (then nothing goes to `sink` or the plot).
int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink);

}  // namespace corvalen::cli
