// SPDX-License-Identifier: MIT
#include "row_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace corvalen::cli {
namespace {

// Four decimals as std::to_chars writes them, but with no minus sign on a zero.
[[gnu::noinline]] void AppendExactly(std::string& out, double value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    out.append(text == "-0.0000" ? text.substr(1) : text);
}

}  // namespace

std::string HeaderLine(std::span<const std::string_view> columns, char separator)
{
    std::string line;
    for (const std::string_view column : columns)
        line.append(column).push_back(separator);
    if (!line.empty())
        line.back() = '\n';
    return line;
}

// to_chars with a precision took a third of the whole sweep, so it is left to
// decide only where value * 10^4 lies too close to a half for the rounding of
// that product to be trusted, and for infinities.
void AppendFourDecimals(std::string& out, double value)
{
    // Below 2^40 the product is off by at most 2^-13, far less than the margin.
    constexpr double kFastLimit = 0x1p40;
    constexpr double kTieMargin = 1e-3;
    const double scaled = std::abs(value) * 10000.0;
    if (!(scaled < kFastLimit)) {
        AppendExactly(out, value);
        return;
    }
    const auto whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::abs(fraction - 0.5) < kTieMargin) {
        AppendExactly(out, value);
        return;
    }
    const std::uint64_t rounded = whole + (fraction > 0.5 ? 1 : 0);
    std::uint64_t magnitude = rounded;
    // Written backwards from the last decimal.
    char text[24];
    char* first = std::end(text);
    for (int place = 0; place < 5 || magnitude > 0; ++place) {  // four decimals and at least one digit before
        if (place == 4)
            *--first = '.';
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0 && rounded > 0)
        *--first = '-';
    out.append(first, std::end(text));
}

}  // namespace corvalen::cli
