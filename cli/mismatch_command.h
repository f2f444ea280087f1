// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"
#include <functional>
#include <string>
#include <string_view>

namespace corvalen::cli {

// One-off values of a fixed source and load, with a two-port between if
// given, as text for a person or one JSON object. Returns the exit status: 0,
// or 2 when the two-port's file cannot be read (then nothing goes to `sink`).
int RunMismatchCommand(const MismatchCommand& command, const std::function<void(std::string_view)>& sink);

}  // namespace corvalen::cli
