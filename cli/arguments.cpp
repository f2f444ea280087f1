// SPDX-License-Identifier: MIT
#include "arguments.h"

#include "measured/ascii.h"
#include "measured/touchstone.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <span>

namespace corvalen::cli {
namespace {

constexpr std::string_view kVswrAccepted =
    "expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99";
constexpr std::string_view kRangeAccepted =
    "expected FROM:TO, two VSWRs from 1.00 to 5.00 with at most two decimals and FROM not above TO, "
    "such as 1.5:2.5";

// What each subcommand takes, and what it does, for --help.
struct Subcommand {
    std::string_view name;
    std::string_view synopsis;
    std::string_view description;
};

constexpr Subcommand kSubcommands[] = {
    {"report", "corvalen-cli report SOURCE LOAD",
     "  report   the clipboard report for one pair, with CR LF line ends\n"},
    {"table", "corvalen-cli table [--source FROM:TO] [--load FROM:TO]",
     "  table    one tab-separated row of the eleven output texts per pair,\n"
     "           source in the outer loop and load in the inner loop, both\n"
     "           ascending; each range defaults to 1.00:5.00\n"},
    {"sweep", "corvalen-cli sweep SOURCE LOAD [--z0 OHMS] [--format tsv|csv] [--plot FILE]",
     "  sweep    one row per frequency for a measured source and load: each\n"
     "           side's VSWR and return loss, the load's mismatch loss, the\n"
     "           maximum VSWR, combined return loss, uncertainty limits and\n"
     "           the mismatch error from the measured phases. SOURCE and LOAD\n"
     "           are Touchstone files (amp.s1p), a reflection of a multi-port\n"
     "           file (amp.s2p:S22) or a fixed VSWR of at least 1 (1.5).\n"
     "           --z0 sets the system impedance (50 ohms), --plot also draws\n"
     "           the limits and the error into an .svg or .png file\n"},
};

constexpr std::string_view kBarVswrs =
    "For report and table, a VSWR is a plain decimal from 1.00 to 5.00 with at\n"
    "most two decimals, such as 1.5, 2 or 4.99; the decimal mark is always a point.\n";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

UsageError Error(std::string_view subject, std::string_view accepted)
{
    std::string message = "corvalen-cli: ";
    message.append(subject).append(": ").append(accepted);
    return {message};
}

std::string Usage(std::string_view subcommand)
{
    const auto found = std::find_if(std::begin(kSubcommands), std::end(kSubcommands),
                                    [&](const Subcommand& s) { return s.name == subcommand; });
    return "usage: " + std::string(found->synopsis);
}

// Longer arguments are cut in the message, which stays one short line.
constexpr std::size_t kShownBytes = 40;

// NAME 'value', quoted so that an empty or blank value still shows, shown
// safely and cut when long.
std::string Quoted(std::string_view name, std::string_view value)
{
    std::string text(name);
    text.append(" '").append(Printable(value.substr(0, kShownBytes))).append("'");
    if (value.size() > kShownBytes)
        text.append("... (").append(std::to_string(value.size())).append(" bytes)");
    return text;
}

using Found = std::optional<UsageError>;

// The arguments after the subcommand: each of `options` at most once, as
// --option=value or --option value, handed to `option`; any other argument not
// starting with "--" to `positional`.
Found ScanArguments(const std::vector<std::string_view>& arguments, std::span<const std::string_view> options,
                    std::string_view missingValue, const std::function<Found(std::string_view)>& positional,
                    const std::function<Found(std::string_view option, std::string_view value)>& option)
{
    const std::string_view subcommand = arguments.front();
    std::vector<std::string_view> given;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        if (!name.starts_with("--")) {
            if (Found error = positional(name))
                return error;
            continue;
        }
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (std::find(options.begin(), options.end(), name) == options.end())
            return Error(Quoted(subcommand, arguments[i]), "unknown argument; " + Usage(subcommand));
        if (std::find(given.begin(), given.end(), name) != given.end())
            return Error(name, "given more than once");
        given.push_back(name);
        if (!value) {
            if (i + 1 == arguments.size())
                return Error(name, missingValue);
            value = arguments[++i];
        }
        if (Found error = option(name, *value))
            return error;
    }
    return std::nullopt;
}

ParseResult ParseReport(const std::vector<std::string_view>& arguments)
{
    if (arguments.size() < 3) {
        const std::string_view missing = arguments.size() < 2 ? "SOURCE" : "LOAD";
        return Error("report", "missing " + std::string(missing) + "; " + Usage("report"));
    }
    if (arguments.size() > 3)
        return Error(Quoted("report", arguments[3]), "unexpected extra argument; " + Usage("report"));

    const auto source = ParseVswr(arguments[1]);
    if (!source)
        return Error(Quoted("SOURCE", arguments[1]), kVswrAccepted);
    const auto load = ParseVswr(arguments[2]);
    if (!load)
        return Error(Quoted("LOAD", arguments[2]), kVswrAccepted);
    return Command{ReportCommand{*source, *load}};
}

ParseResult ParseTable(const std::vector<std::string_view>& arguments)
{
    constexpr std::string_view kOptions[] = {"--source", "--load"};
    TableCommand table;
    const Found error = ScanArguments(
        arguments, kOptions, "missing FROM:TO",
        [](std::string_view argument) -> Found {
            return Error(Quoted("table", argument), "unknown argument; " + Usage("table"));
        },
        [&](std::string_view option, std::string_view value) -> Found {
            const auto range = ParseBarRange(value);
            if (!range)
                return Error(Quoted(option, value), kRangeAccepted);
            (option == "--source" ? table.source : table.load) = *range;
            return std::nullopt;
        });
    if (error)
        return *error;
    return Command{table};
}

std::variant<SweepSide, UsageError> ParseSweepSide(std::string_view role, std::string_view text)
{
    SweepSide side{std::string(text), std::string(text), {}, std::nullopt};
    if (const auto vswr = ParseDecimal(text)) {
        if (*vswr < 1.0)
            return Error(Quoted(role, text), "a VSWR must be at least 1");
        side.fixed = measured::FixedSideValues(*vswr);
        return side;
    }
    auto [path, choice] = measured::SplitFileChoice(text);
    side.path = std::move(path);
    side.choice = std::move(choice);
    if (side.path.empty())
        return Error(Quoted(role, text), "expected a Touchstone file, FILE:Skk or a VSWR of at least 1");
    return side;
}

ParseResult ParseSweep(const std::vector<std::string_view>& arguments)
{
    constexpr std::string_view kOptions[] = {"--z0", "--format", "--plot"};
    SweepCommand sweep;
    std::vector<std::string_view> sides;
    const Found error = ScanArguments(
        arguments, kOptions, "missing its value",
        [&](std::string_view argument) -> Found {
            if (sides.size() == 2)
                return Error(Quoted("sweep", argument), "unexpected extra argument; " + Usage("sweep"));
            sides.push_back(argument);
            return std::nullopt;
        },
        [&](std::string_view option, std::string_view value) -> Found {
            if (option == "--z0") {
                const auto ohms = ParseDecimal(value);
                if (!ohms || !(*ohms > 0.0))
                    return Error(Quoted(option, value), "expected an impedance in ohms above 0, such as 50 or 75");
                sweep.systemOhms = *ohms;
            } else if (option == "--format") {
                if (value != "tsv" && value != "csv")
                    return Error(Quoted(option, value), "expected tsv or csv");
                sweep.format = value == "csv" ? SweepFormat::Csv : SweepFormat::Tsv;
            } else {
                const std::string lower = AsciiLower(value);
                if (!lower.ends_with(".svg") && !lower.ends_with(".png"))
                    return Error(Quoted(option, value), "expected a file name ending in .svg or .png");
                sweep.plotPath = std::string(value);
            }
            return std::nullopt;
        });
    if (error)
        return *error;
    if (sides.size() < 2)
        return Error("sweep", std::string(sides.empty() ? "missing SOURCE; " : "missing LOAD; ") + Usage("sweep"));

    auto source = ParseSweepSide("SOURCE", sides[0]);
    if (auto* bad = std::get_if<UsageError>(&source))
        return *bad;
    auto load = ParseSweepSide("LOAD", sides[1]);
    if (auto* bad = std::get_if<UsageError>(&load))
        return *bad;
    sweep.source = std::get<SweepSide>(source);
    sweep.load = std::get<SweepSide>(load);
    if (sweep.source.fixed && sweep.load.fixed)
        return Error("sweep", "at least one of SOURCE and LOAD must be a Touchstone file");
    return Command{sweep};
}

}  // namespace

std::string Printable(std::string_view text)
{
    constexpr std::string_view hex = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F, written C2 80 to C2 9F in UTF-8.
        const bool c1 = byte == 0xc2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xe0) == 0x80;
        if (byte == '\n') {
            shown.append("\\n");
        } else if (byte == '\t') {
            shown.append("\\t");
        } else if (byte < 0x20 || byte == 0x7f || c1) {
            shown.append("\\x").push_back(hex[byte >> 4]);
            shown.push_back(hex[byte & 0xf]);
        } else {
            shown.push_back(text[i]);
        }
    }
    return shown;
}

std::optional<double> ParseDecimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (!digits(text.substr(0, point)) || (point != std::string_view::npos && !digits(text.substr(point + 1))))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<BarValue> ParseVswr(std::string_view text)
{
    constexpr std::size_t kMostDecimals = 2;
    if (const std::size_t point = text.find('.'); point != std::string_view::npos && text.size() - point - 1 > kMostDecimals)
        return std::nullopt;
    const auto vswr = ParseDecimal(text);
    if (!vswr)
        return std::nullopt;
    // With at most two decimals the product lies within a rounding of a whole position.
    const double position = std::round(*vswr * kPositionsPerVswr);
    if (!(position >= kBarMin && position <= kBarMax))
        return std::nullopt;
    return static_cast<BarValue>(position);
}

std::optional<BarRange> ParseBarRange(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto from = ParseVswr(text.substr(0, colon));
    const auto to = ParseVswr(text.substr(colon + 1));
    if (!from || !to || *from > *to)
        return std::nullopt;
    return BarRange{*from, *to};
}

ParseResult ParseArguments(const std::vector<std::string_view>& arguments)
{
    if (arguments.empty())
        return Error("command", "missing; try 'corvalen-cli --help'");

    const std::string_view command = arguments.front();
    const bool help = command == "--help" || command == "-h" || command == "help";
    if (help || command == "--version") {
        if (arguments.size() > 1)
            return Error(Quoted(command, arguments[1]), "unexpected extra argument");
        return help ? Command{HelpCommand{}} : Command{VersionCommand{}};
    }
    const auto subcommand = std::find_if(std::begin(kSubcommands), std::end(kSubcommands),
                                         [&](const Subcommand& s) { return s.name == command; });
    if (subcommand == std::end(kSubcommands))
        return Error(Quoted("command", command), "expected report, table, sweep, --help or --version");
    const auto asksHelp = [](std::string_view argument) { return argument == "--help" || argument == "-h"; };
    if (std::any_of(arguments.begin() + 1, arguments.end(), asksHelp))
        return Command{HelpCommand{std::string(command)}};
    if (command == "report")
        return ParseReport(arguments);
    if (command == "table")
        return ParseTable(arguments);
    return ParseSweep(arguments);
}

std::string UsageText(std::string_view subcommand)
{
    std::string text = "Usage:\n";
    for (const Subcommand& s : kSubcommands)
        if (subcommand.empty() || s.name == subcommand)
            text.append("  ").append(s.synopsis).append("\n");
    if (subcommand.empty())
        text.append("  corvalen-cli --help | --version\n"
                    "  corvalen-cli SUBCOMMAND --help\n\n"
                    "Prints the texts of the Corvalen window for a source and a load VSWR\n"
                    "(report, table) and the mismatch of measured data across frequency (sweep).\n");
    for (const Subcommand& s : kSubcommands)
        if (subcommand.empty() || s.name == subcommand)
            text.append("\n").append(s.description);
    text.append("\n");
    if (subcommand.empty() || subcommand == "report" || subcommand == "table")
        text.append(kBarVswrs);
    text.append("Exit status: 0 on success, 1 if the output or plot cannot be written,\n"
                "2 on bad arguments or a file that cannot be read.\n");
    return text;
}

}  // namespace corvalen::cli
