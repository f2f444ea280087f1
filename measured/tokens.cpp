// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace corvalen::measured {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view NextToken(std::string_view& rest)
{
    std::size_t begin = 0;
    while (begin < rest.size() && IsBlank(rest[begin]))
        ++begin;
    const std::size_t end = FindBlank(rest, begin);
    const std::string_view token = rest.substr(begin, end - begin);
    rest.remove_prefix(end);
    return token;
}

std::size_t CountTokens(std::string_view rest)
{
    std::size_t count = 0;
    while (!NextToken(rest).empty())
        ++count;
    return count;
}

std::optional<double> ParseNumber(std::string_view token)
{
    if (!LooksNumeric(token))
        return std::nullopt;  // also keeps out what from_chars reads but files never hold: inf, nan, hex
    if (token.front() == '+')
        token.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool LooksNumeric(std::string_view token)
{
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < token.size() && token[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == token.size();
}

std::optional<double> ParseScaled(std::string_view token, int decimalExponent)
{
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

}  // namespace corvalen::measured
