// SPDX-License-Identifier: MIT
#include "program_lines.h"

#include <cstdio>
#include <string_view>

namespace corvalen::cli {
namespace {

constexpr std::string_view kProgramName = "corvalen-cli: ";

}  // namespace

UsageError Refused(const measuredtext::InputError& error)
{
    return {std::string(kProgramName) + error.message};
}

void Note(const std::string& text)
{
    // Messages quote file names and file contents, which may hold anything.
    std::fputs((std::string(kProgramName) + measuredtext::Printable(text) + "\n").c_str(), stderr);
}

}  // namespace corvalen::cli
