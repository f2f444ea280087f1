// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace corvalen::measured {

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
