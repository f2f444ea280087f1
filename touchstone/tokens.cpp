// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <algorithm>
#include <bit>
#include <cfloat>
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

// One multiplication or division of exact doubles rounds once only where
// double arithmetic keeps no excess precision (FLT_EVAL_METHOD 0; x87
// arithmetic would round twice); elsewhere from_chars reads every number, as
// it does in the benchmark's build without this fast path.
#if FLT_EVAL_METHOD == 0 && !defined(CORVALEN_PLAIN_NUMBERS)
constexpr bool kShortDecimals = true;
#else
constexpr bool kShortDecimals = false;
#endif

// Eight digits at a time where the bytes are read as one little-endian word;
// the build without it reads every digit on its own.
#if !defined(CORVALEN_PLAIN_DIGITS)
constexpr bool kEightDigits = std::endian::native == std::endian::little;
#else
constexpr bool kEightDigits = false;
#endif

// Whether the eight bytes of `word` are all digits: each has 3 as its high
// half, and still has after adding 6.
bool EightDigits(std::uint64_t word)
{
    constexpr std::uint64_t kHighHalves = 0xF0F0F0F0F0F0F0F0u;
    return ((word & kHighHalves) | (((word + 0x0606060606060606u) & kHighHalves) >> 4)) == 0x3333333333333333u;
}

// The value of eight digits (the first byte the highest): pairs, then fours,
// then all eight joined, in three multiplications rather than eight dependent ones.
std::uint64_t EightDigitsValue(std::uint64_t word)
{
    word = ((word & 0x0F0F0F0F0F0F0F0Fu) * 2561) >> 8;
    word = ((word & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    return ((word & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
}

// The digits from `p` on, appended to `value`: where they end. More than
// nineteen wrap `value`, which the caller refuses by their count.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& value)
{
    std::uint64_t digits = value;
    if constexpr (kEightDigits) {
        for (std::uint64_t word = 0; end - p >= 8; p += 8) {
            std::memcpy(&word, p, sizeof word);
            if (!EightDigits(word))
                break;
            digits = digits * 100000000u + EightDigitsValue(word);
        }
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
    if constexpr (!kShortDecimals)
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
    // An empty view may have no data at all: its end is then null, like a failure.
    const char* const end = token.data() + token.size();
    const char* const after = ShortDecimal(token.data(), end, decimalExponent, value);
    return after != nullptr && after == end;
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

bool LooksNumeric(std::string_view token)
{
    const char* p = token.data();
    const char* const end = p + token.size();
    const auto digits = [&] {
        const char* const start = p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        return p - start;
    };
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    const char* const mantissa = p;
    std::ptrdiff_t mantissaDigits = digits();
    const char* const point = p;
    if (p != end && *p == '.') {
        ++p;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    // The power of ten of the first digit that is not 0, so the value lies
    // within a factor of ten of 10^(power + exponent).
    const char* const first = std::find_if(mantissa, p, [](char c) { return c >= '1' && c <= '9'; });
    std::ptrdiff_t power = first == p ? 0 : first < point ? point - first - 1 : point - first;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        // Capped beyond any power the mantissa's digits could make up for.
        const std::ptrdiff_t cap = static_cast<std::ptrdiff_t>(token.size()) + 400;
        std::ptrdiff_t written = 0;
        const char* const start = p;
        for (; p != end && *p >= '0' && *p <= '9'; ++p)
            written = std::min(written * 10 + (*p - '0'), cap);
        if (p == start)
            return false;
        power += negative ? -written : written;
    }
    if (p != end)
        return false;
    // From 10^-300 to 10^301 every value is a finite double other than 0.
    return std::abs(power) <= 300 || ParseNumber(token).has_value();
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
