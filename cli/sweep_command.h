// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"
#include "measured/through.h"

#include <functional>
#include <string>
#include <string_view>

namespace corvalen::cli {

// Reads the sides and the two-port in full, then writes the header and one row
// per frequency to `sink` in large chunks, notes on stderr, and draws the plot
// and the Smith chart if asked. Returns the exit status: 0, 1 when a picture
// cannot be written, 2 when a file cannot be read (then nothing goes to `sink`).
int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink);

// The two-port of --through, read from its file or made from loss and VSWR.
// Throws touchstone::MeasuredError.
measured::Through ReadThrough(const ThroughArgument& through, double systemOhms);

// One line on stderr, "corvalen-cli: text", with control characters escaped.
void Note(const std::string& text);

}  // namespace corvalen::cli
