// SPDX-License-Identifier: MIT
#pragma once

// The lexical pieces of a Touchstone line: blanks, tokens and numbers, read the
// same way whatever the locale.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

namespace corvalen::touchstone {

// Lines reach the tokenizer only after LineSource has refused every control
// byte other than tab to carriage return, so every byte up to the space is a blank.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next blank-separated token of `rest`, removed from it; empty at the end.
inline std::string_view NextToken(std::string_view& rest)
{
    std::size_t begin = 0;
    while (begin < rest.size() && IsBlank(rest[begin]))
        ++begin;
    std::size_t end = begin;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    const std::string_view token = rest.substr(begin, end - begin);
    rest.remove_prefix(end);
    return token;
}
inline std::size_t CountTokens(std::string_view rest)
{
    std::size_t count = 0;
    while (!NextToken(rest).empty())
        ++count;
    return count;
}

inline bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of a run of digits, such as a port number; 0 for other text or
// one too large for an int.
inline int DigitsValue(std::string_view digits)
{
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc{} && end == digits.data() + digits.size() ? value : 0;
}

// A short decimal text, read exactly where that is cheap: digits that make an
// integer of at most 2^53 and a power of ten from 10^-22 to 10^22 are both
// exact doubles, so one multiplication or division rounds once, to the value
// from_chars gives. Data written with a dozen significant digits always takes
// this way, at a small part of from_chars's cost; false sends anything else
// (more digits, far exponents, text that is not a plain number) to it.
bool ReadShortDecimal(std::string_view token, int decimalExponent, double& value);

// How many bytes before its start and past its end a line of data may be read:
// LineSource hands out every line with at least these around it, so that a
// number is read in whole words without a test for the ends of the line at
// every byte.
inline constexpr std::size_t kReadBehindBytes = 16;
inline constexpr std::size_t kReadAheadBytes = 48;

// The short decimal times 10^decimalExponent that opens the text from `p` after
// any blanks, which must end at `end` or a blank: the end of its text, else null
// for a token that NextToken and ParseNumber must read or refuse. Bytes from
// kReadBehindBytes before `p` to kReadAheadBytes past `end` must be readable;
// they are looked at, never taken.
const char* ReadDataNumber(const char* p, const char* end, int decimalExponent, double& value);

// A data line of exactly numbers.size() short decimals, blanks between, read
// into `numbers`, the first times 10^firstExponent: false for any other line
// (which ReadDataNumber, NextToken and ParseNumber then read or refuse). Number
// i is only checked, and may be left as it was, where bit i of `wanted` is
// clear. The bytes around the line must be readable, as for ReadDataNumber.
bool ReadDataLine(std::string_view line, int firstExponent, std::span<double> numbers,
                  std::uint32_t wanted = 0xFFFFFFFFu);

// A finite decimal number as Touchstone writes it (sign, point and exponent
// allowed); infinities and NaN, which from_chars reads, are refused.
inline std::optional<double> ParseNumber(std::string_view token)
{
    if (double value; ReadShortDecimal(token, 0, value))
        return value;
    if (token.size() > 1 && token.front() == '+' && token[1] != '-')
        token.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Whether ParseNumber would read the token, for values that are checked but not
// kept: a scan of the characters, much cheaper than converting them. Only a
// magnitude near the ends of a double's range, where the conversion refuses
// what overflows or underflows, is left to ParseNumber itself.
bool LooksNumeric(std::string_view token);

// The number times 10^decimalExponent, rounded once from the decimal text, so that
// 1.1 GHz is exactly 1100000000 Hz rather than 1.1 * 1e9.
std::optional<double> ParseScaled(std::string_view token, int decimalExponent);

}  // namespace corvalen::touchstone
