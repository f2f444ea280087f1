// SPDX-License-Identifier: MIT
#pragma once

// What the parts of the reader share in refusing a line: the text at fault
// quoted, and numbers that must be numbers.

#include "line_source.h"
#include "tokens.h"

#include <string>
#include <string_view>

namespace corvalen::touchstone {

// 'token', built by appending: GCC 12 warns wrongly (-Wrestrict) on "'" + std::string(...).
inline std::string Quoted(std::string_view token)
{
    std::string text;
    text.reserve(token.size() + 2);
    return text.append("'").append(token).append("'");
}

// The number a token holds, else its line refused.
inline double RequireNumber(const LineSource& lines, std::string_view token)
{
    const auto value = ParseNumber(token);
    if (!value)
        lines.Fail(Quoted(token) + " is not a number");
    return *value;
}

}  // namespace corvalen::touchstone
