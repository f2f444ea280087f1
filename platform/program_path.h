// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace corvalen::platform {

// The folder of the running program's own file, ending in a separator, or
// nothing where the system does not say (never the current folder instead).
std::optional<std::string> ProgramFolder();

}  // namespace corvalen::platform
