// SPDX-License-Identifier: MIT
#include "measuredtext/row_text.h"

#include <array>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace corvalen::measuredtext {
namespace {

// "00" to "99", for writing two digits at once.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Four decimals as std::to_chars writes them, but with no minus sign on a zero.
[[gnu::noinline]] char* WriteExactly(char* out, double value)
{
    const auto result = std::to_chars(out, out + kFourDecimalsRoom, value, std::chars_format::fixed, 4);
    const std::string_view text(out, static_cast<std::size_t>(result.ptr - out));
    if (text != "-0.0000")
        return result.ptr;
    std::memmove(out, out + 1, text.size() - 1);
    return result.ptr - 1;
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
char* WriteFourDecimals(char* out, double value)
{
    // Below 2^40 the product is off by at most 2^-13, far less than the margin.
    constexpr double kFastLimit = 0x1p40;
    constexpr double kTieMargin = 1e-3;
    const double scaled = std::abs(value) * 10000.0;
    if (!(scaled < kFastLimit))
        return WriteExactly(out, value);
    const auto whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::abs(fraction - 0.5) < kTieMargin)
        return WriteExactly(out, value);
    const std::uint64_t rounded = whole + (fraction > 0.5 ? 1 : 0);
    if (value < 0 && rounded > 0)
        *out++ = '-';
    // Written in place, two digits at a time: a number put together elsewhere
    // and copied over was read back before its bytes had left the stores.
    const std::uint64_t decimals = rounded % 10000;
    std::uint64_t units = rounded / 10000;
    std::size_t length = 1;
    for (std::uint64_t rest = units; rest >= 10; rest /= 10)
        ++length;
    char* const point = out + length;
    char* first = point;
    const auto pair = [](char* at, std::uint64_t twoDigits) { std::memcpy(at, kDigitPairs.data() + 2 * twoDigits, 2); };
    for (; units >= 100; units /= 100)
        pair(first -= 2, units % 100);
    if (units >= 10)
        pair(first - 2, units);
    else
        first[-1] = static_cast<char>('0' + units);
    *point = '.';
    pair(point + 1, decimals / 100);
    pair(point + 3, decimals % 100);
    return point + 5;
}

void AppendFourDecimals(std::string& out, double value)
{
    char text[kFourDecimalsRoom];
    out.append(text, WriteFourDecimals(text, value));
}

}  // namespace corvalen::measuredtext
