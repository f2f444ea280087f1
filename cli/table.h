// SPDX-License-Identifier: MIT
#pragma once

#include "arguments.h"

#include <functional>
#include <string>
#include <string_view>

namespace corvalen::cli {

// Writes the header and one tab-separated line per pair, source ascending in
// the outer loop and load ascending in the inner one. Output is handed to
// `sink` in large chunks so that the whole table costs few writes.
void WriteTable(const TableCommand& table, const std::function<void(std::string_view)>& sink);

}  // namespace corvalen::cli
