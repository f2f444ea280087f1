// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace corvalen::cli {

bool IsSubcommand(std::string_view name);

// "usage: " and the synopsis of a subcommand, for messages.
std::string Usage(std::string_view subcommand);

// The usage of every subcommand, or of the one named.
std::string UsageText(std::string_view subcommand = {});

}  // namespace corvalen::cli
