// SPDX-License-Identifier: MIT
#pragma once

// The grammar of corvalen-cli: its subcommands and their options.

#include "calc/mismatch.h"
#include "measured/inputs.h"
#include "measuredtext/value_forms.h"
#include "program_lines.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvalen::cli {

// The usage of every subcommand, or of the one named.
struct HelpCommand {
    std::string subcommand;
};
struct VersionCommand {};
struct ReportCommand {
    BarValue source;
    BarValue load;
};
struct TableCommand {
    measuredtext::BarRange source;
    measuredtext::BarRange load;
};
enum class SweepFormat { Tsv, Csv };
struct SweepCommand {
    measured::BenchInput bench;
    SweepFormat format = SweepFormat::Tsv;
    std::optional<std::string> plotPath;
    std::optional<std::string> smithPath;
};
enum class MismatchFormat { Text, Json };
struct MismatchCommand {
    measured::BenchInput bench;  // both sides fixed
    MismatchFormat format = MismatchFormat::Text;
    double coveragePercent = 95.0;
};

using Command = std::variant<HelpCommand, VersionCommand, ReportCommand, TableCommand, SweepCommand, MismatchCommand>;
using ParseResult = std::variant<Command, UsageError>;

// The arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string_view>& arguments);

}  // namespace corvalen::cli
