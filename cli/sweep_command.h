// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"

#include <functional>
#include <string_view>

namespace corvalen::cli {

// Reads the sides and the two-port in full, then writes the header and one row
// per frequency to `sink` in large chunks, notes on stderr, and draws the plot
// and the Smith chart if asked. Returns the exit status: 0, 1 when a picture
// cannot be written, 2 when a file cannot be read (then nothing goes to `sink`).
int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink);

}  // namespace corvalen::cli
