// SPDX-License-Identifier: MIT
#pragma once

// Case folding for the ASCII keywords of files and command lines, the same in
// every locale.

#include <string>
#include <string_view>

namespace corvalen {

inline std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

}  // namespace corvalen
