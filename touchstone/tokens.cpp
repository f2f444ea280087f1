// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <system_error>

namespace corvalen::touchstone {

namespace {

// ASCII digits read as one little-endian word (big-endian machines leave all
// numbers to from_chars): where the run of digits ends, and their value, in a
// few multiplications instead of a step per digit.
std::uint64_t Load(const char* text)
{
    std::uint64_t word;
    std::memcpy(&word, text, sizeof word);
    return word;
}

// The eight digits of a word, the first in its lowest byte; zero bytes count as 0.
std::uint64_t ValueOfEight(std::uint64_t word)
{
    word = ((word & 0x0F0F0F0F0F0F0F0F) * 2561) >> 8;
    word = ((word & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((word & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

// The digits from `p` on, appended to `value`: where they end.
const char* ReadDigits(const char* p, const char* end, std::uint64_t& value)
{
    static constexpr std::uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    std::uint64_t digits = value;
    while (end - p >= 8) {
        const std::uint64_t word = Load(p);
        // Digits become 0 to 9; anything else a byte above 9, whose top bit the
        // addition sets. A carry only reaches bytes after the first non-digit.
        const std::uint64_t offset = word ^ 0x3030303030303030;
        const std::uint64_t others = ((offset + 0x7676767676767676) | offset) & 0x8080808080808080;
        if (others == 0) {
            digits = digits * 100000000 + ValueOfEight(word);
            p += 8;
            continue;
        }
        // The n digits moved to the top of the word, zero bytes before them.
        const int n = std::countr_zero(others) / 8;
        if (n > 0)
            digits = digits * kPowers[n] + ValueOfEight(word << (8 * (8 - n)));
        value = digits;
        return p + n;
    }
    for (; p != end && static_cast<unsigned>(*p - '0') < 10; ++p)
        digits = digits * 10 + static_cast<unsigned>(*p - '0');
    value = digits;
    return p;
}

// The short decimal that starts at p, where one does: the end of its text,
// else null.
const char* ShortDecimal(const char* p, const char* const end, int decimalExponent, double& value)
{
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int kLargestPower = static_cast<int>(std::size(kExactPowers)) - 1;
    if constexpr (std::endian::native != std::endian::little)
        return nullptr;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    std::uint64_t digits = 0;
    const char* digitsEnd = ReadDigits(p, end, digits);
    std::ptrdiff_t count = digitsEnd - p;
    p = digitsEnd;
    int exponent = decimalExponent;
    if (p != end && *p == '.') {
        digitsEnd = ReadDigits(p + 1, end, digits);
        const std::ptrdiff_t fraction = digitsEnd - (p + 1);
        count += fraction;
        exponent -= static_cast<int>(std::min<std::ptrdiff_t>(fraction, 100));
        p = digitsEnd;
    }
    // Nineteen digits cannot overflow 64 bits; more go to from_chars.
    if (count == 0 || count > 19)
        return nullptr;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+'))
            ++p;
        std::uint64_t written = 0;
        digitsEnd = ReadDigits(p, end, written);
        if (digitsEnd == p || digitsEnd - p > 4)
            return nullptr;
        p = digitsEnd;
        exponent += negativeExponent ? -static_cast<int>(written) : static_cast<int>(written);
    }
    if (digits > (std::uint64_t{1} << 53) || exponent < -kLargestPower || exponent > kLargestPower)
        return nullptr;
    const double magnitude = exponent < 0 ? static_cast<double>(digits) / kExactPowers[-exponent]
                                          : static_cast<double>(digits) * kExactPowers[exponent];
    value = negative ? -magnitude : magnitude;
    return p;
}

}  // namespace

bool ReadShortDecimal(std::string_view token, int decimalExponent, double& value)
{
    const char* const end = token.data() + token.size();
    return ShortDecimal(token.data(), end, decimalExponent, value) == end;
}

bool ReadShortNumber(std::string_view& text, double& value)
{
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin]))
        ++begin;
    const char* const end = text.data() + text.size();
    const char* const after = ShortDecimal(text.data() + begin, end, 0, value);
    if (!after || (after != end && !IsBlank(*after)))
        return false;
    text.remove_prefix(static_cast<std::size_t>(after - text.data()));
    return true;
}

std::optional<double> ParseScaled(std::string_view token, int decimalExponent)
{
    if (double value; ReadShortDecimal(token, decimalExponent, value))
        return value;
    if (decimalExponent == 0 || !LooksNumeric(token))
        return ParseNumber(token);
    const std::size_t e = token.find_first_of("eE");
    const std::string_view mantissa = token.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = token.substr(e + 1);
        if (digits.front() == '+')
            digits.remove_prefix(1);
        // Exponents beyond a few hundred give no finite double anyway; keep to_string's text short.
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc{}
            || std::abs(exponent) > 100000)
            return std::nullopt;
    }
    std::string text(mantissa);
    text.append("e").append(std::to_string(exponent + decimalExponent));
    return ParseNumber(text);
}

}  // namespace corvalen::touchstone
