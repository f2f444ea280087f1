// SPDX-License-Identifier: MIT
#pragma once

// The texts of table and sweep rows: header lines and numbers with four decimals.

#include <span>
#include <string>
#include <string_view>

namespace corvalen::measuredtext {

// The column names joined by `separator`, ending in a newline.
std::string HeaderLine(std::span<const std::string_view> columns, char separator);

// Appends `value` with four decimals as std::to_chars writes it (the exact
// binary value rounded, ties to even), a point whatever the locale, no minus
// sign on a zero, and inf or -inf for infinities.
void AppendFourDecimals(std::string& out, double value);

// The same written at `out`, which has room for kFourDecimalsRoom characters:
// where the text ends.
constexpr std::size_t kFourDecimalsRoom = 400;
char* WriteFourDecimals(char* out, double value);

}  // namespace corvalen::measuredtext
