// SPDX-License-Identifier: MIT
#pragma once

// Command-line parsing for corvalen-cli. Parsing never depends on the locale:
// a number is ASCII digits with an optional point and decimals.

#include "calc/mismatch.h"
#include "measured/sweep.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvalen::cli {

struct BarRange {
    BarValue from = kBarMin;
    BarValue to = kBarMax;
};

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
    BarRange source;
    BarRange load;
};

// SOURCE or LOAD of a sweep: a Touchstone file, with the reflection to take for
// files of more than one port, or a fixed value with its phase unknown.
struct SweepSide {
    std::string name;  // as given, for messages and the plot title
    std::string path;
    std::string choice;  // the reflection to take (S22, D1,2); empty when none was named
    std::optional<measured::SideValues> fixed;
};
// --through: a two-port Touchstone file, or a pad given as loss=DB,vswr=V.
struct ThroughArgument {
    std::string name;  // as given
    std::optional<measured::Pad> pad;  // otherwise name is the file
};
enum class SweepFormat { Tsv, Csv };
struct SweepCommand {
    SweepSide source;
    SweepSide load;
    double systemOhms = 50.0;
    SweepFormat format = SweepFormat::Tsv;
    std::optional<std::string> plotPath;
    std::optional<ThroughArgument> through;
    std::optional<std::string> smithPath;
};
enum class MismatchFormat { Text, Json };
struct MismatchCommand {
    SweepSide source;  // both fixed
    SweepSide load;
    std::optional<ThroughArgument> through;
    double systemOhms = 50.0;
    MismatchFormat format = MismatchFormat::Text;
};

// One line for stderr, naming the argument and what is accepted.
struct UsageError {
    std::string message;
};

using Command = std::variant<HelpCommand, VersionCommand, ReportCommand, TableCommand, SweepCommand, MismatchCommand>;
using ParseResult = std::variant<Command, UsageError>;

// A plain decimal such as 1.5, 75 or 001.50, read the same in every locale, or
// nothing for any other text (signs, exponents, commas, a bare point).
std::optional<double> ParseDecimal(std::string_view text);

// The bar position of a VSWR written like 1.5, 2 or 4.99, or nothing if the
// text is not such a number or lies outside 1.00..5.00.
std::optional<BarValue> ParseVswr(std::string_view text);

// A value with its phase unknown: 1.5 or vswr=1.5 (at least 1), rl=23 (return
// loss in dB, at least 0) or gamma=0.07 (|G| from 0 to 1). Nothing when the
// text has none of these forms (it may be a file); an error for a bad value.
std::optional<std::variant<measured::SideValues, UsageError>> ParseFixedValue(std::string_view role,
                                                                              std::string_view text);

// FROM:TO with FROM not above TO.
std::optional<BarRange> ParseBarRange(std::string_view text);

// The arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string_view>& arguments);

// The usage of every subcommand, or of the one named.
std::string UsageText(std::string_view subcommand = {});

// The text with control characters escaped (\n, \t, \x1b, ...), so that it
// shows as one line and never reaches the terminal as a command.
std::string Printable(std::string_view text);

}  // namespace corvalen::cli
