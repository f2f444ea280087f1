// SPDX-License-Identifier: MIT
#include "arguments.h"

#include "touchstone/ascii.h"
#include "touchstone/touchstone.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <span>
#include <tuple>

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
    {"mismatch", "corvalen-cli mismatch SOURCE LOAD [--through TWO-PORT] [--z0 OHMS] [--format text|json]",
     "  mismatch one-off values, double precision: each side's VSWR, return loss\n"
     "           and |G|, the load's mismatch loss, the maximum VSWR, combined\n"
     "           return loss, the uncertainty limits 20 log10(1 +- |Gs||GL|) and\n"
     "           the standard uncertainty; with --through, the limits and the\n"
     "           standard uncertainty through the two-port too (for a file, at\n"
     "           the frequency where its limits are widest)\n"},
    {"sweep",
     "corvalen-cli sweep SOURCE LOAD [--through TWO-PORT] [--z0 OHMS] [--format tsv|csv]\n"
     "                     [--plot FILE] [--smith FILE]",
     "  sweep    one row per frequency for a measured source and load: each\n"
     "           side's VSWR and return loss, the load's mismatch loss, the\n"
     "           maximum VSWR, combined return loss, uncertainty limits, the\n"
     "           mismatch error from the measured phases and the standard\n"
     "           uncertainty; with --through, the limits, error and standard\n"
     "           uncertainty through the two-port beside them. SOURCE and LOAD\n"
     "           are Touchstone files (amp.s1p), a reflection of a multi-port\n"
     "           file (amp.s2p:S22) or fixed values. --z0 sets the system\n"
     "           impedance (50 ohms); --plot draws the limits and the error,\n"
     "           --smith the two reflections on a Smith chart (.svg or .png)\n"},
};

constexpr std::string_view kFixedValues =
    "A fixed SOURCE or LOAD is 1.5 or vswr=1.5 (VSWR, at least 1), rl=23 (return\n"
    "loss in dB, at least 0) or gamma=0.07 (|G|, 0 to 1), its phase unknown.\n"
    "TWO-PORT is a two-port Touchstone file (port 1 faces the source) or\n"
    "loss=DB,vswr=V, a pad or cable of DB dB loss with both ports at VSWR V.\n";

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
    if (auto fixed = ParseFixedValue(role, text)) {
        if (auto* error = std::get_if<UsageError>(&*fixed))
            return *error;
        side.fixed = std::get<measured::SideValues>(*fixed);
        return side;
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    side.path = std::move(path);
    side.choice = std::move(choice);
    if (side.path.empty())
        return Error(Quoted(role, text), "expected a Touchstone file, FILE:Skk or a fixed value such as 1.5 or rl=20");
    return side;
}

// A file, or loss=DB,vswr=V in either order.
std::variant<ThroughArgument, UsageError> ParseThrough(std::string_view text)
{
    ThroughArgument through{std::string(text), std::nullopt};
    const std::string lower = AsciiLower(text);
    if (!lower.starts_with("loss=") && !lower.starts_with("vswr="))
        return through;
    const std::size_t comma = lower.find(',');
    std::optional<double> lossDb;
    std::optional<double> vswr;
    const std::string_view both(lower);
    for (const std::string_view part :
         {both.substr(0, comma), comma == std::string::npos ? std::string_view() : both.substr(comma + 1)}) {
        const auto equals = part.find('=');
        const std::string_view key = part.substr(0, equals);
        auto& value = key == "loss" ? lossDb : vswr;
        if ((key == "loss" || key == "vswr") && equals != std::string_view::npos && !value)
            value = ParseDecimal(part.substr(equals + 1));
    }
    if (!lossDb || !vswr || *vswr < 1.0)
        return Error(Quoted("--through", text),
                     "expected a two-port Touchstone file or loss=DB,vswr=V with DB at least 0 and V at least 1, "
                     "such as loss=10,vswr=1.1");
    through.pad = measured::Pad{*lossDb, *vswr};
    return through;
}

// The options that mismatch and sweep share.
Found ParseSharedOption(std::string_view option, std::string_view value, double& systemOhms,
                        std::optional<ThroughArgument>& through)
{
    if (option == "--z0") {
        const auto ohms = ParseDecimal(value);
        if (!ohms || !(*ohms > 0.0))
            return Error(Quoted(option, value), "expected an impedance in ohms above 0, such as 50 or 75");
        systemOhms = *ohms;
        return std::nullopt;
    }
    auto parsed = ParseThrough(value);
    if (auto* error = std::get_if<UsageError>(&parsed))
        return *error;
    through = std::get<ThroughArgument>(parsed);
    return std::nullopt;
}

// SOURCE and LOAD, the two arguments that are not options.
using Sides = std::variant<std::pair<SweepSide, SweepSide>, UsageError>;
Sides ParseSides(std::string_view subcommand, const std::vector<std::string_view>& sides)
{
    if (sides.size() < 2)
        return Error(subcommand, std::string(sides.empty() ? "missing SOURCE; " : "missing LOAD; ") + Usage(subcommand));
    auto source = ParseSweepSide("SOURCE", sides[0]);
    if (auto* bad = std::get_if<UsageError>(&source))
        return *bad;
    auto load = ParseSweepSide("LOAD", sides[1]);
    if (auto* bad = std::get_if<UsageError>(&load))
        return *bad;
    return std::pair(std::get<SweepSide>(source), std::get<SweepSide>(load));
}

std::function<Found(std::string_view)> CollectSides(std::string_view subcommand, std::vector<std::string_view>& sides)
{
    return [subcommand, &sides](std::string_view argument) -> Found {
        if (sides.size() == 2)
            return Error(Quoted(subcommand, argument), "unexpected extra argument; " + Usage(subcommand));
        sides.push_back(argument);
        return std::nullopt;
    };
}

ParseResult ParseMismatch(const std::vector<std::string_view>& arguments)
{
    constexpr std::string_view kOptions[] = {"--through", "--z0", "--format"};
    MismatchCommand mismatch;
    std::vector<std::string_view> sides;
    const Found error = ScanArguments(
        arguments, kOptions, "missing its value", CollectSides("mismatch", sides),
        [&](std::string_view option, std::string_view value) -> Found {
            if (option != "--format")
                return ParseSharedOption(option, value, mismatch.systemOhms, mismatch.through);
            if (value != "text" && value != "json")
                return Error(Quoted(option, value), "expected text or json");
            mismatch.format = value == "json" ? MismatchFormat::Json : MismatchFormat::Text;
            return std::nullopt;
        });
    if (error)
        return *error;
    auto parsed = ParseSides("mismatch", sides);
    if (auto* bad = std::get_if<UsageError>(&parsed))
        return *bad;
    std::tie(mismatch.source, mismatch.load) = std::get<0>(parsed);
    for (const SweepSide* side : {&mismatch.source, &mismatch.load})
        if (!side->fixed)
            return Error(Quoted(side == &mismatch.source ? "SOURCE" : "LOAD", side->name),
                         "expected a fixed value such as 1.5, vswr=1.5, rl=23 or gamma=0.07; for files use sweep");
    return Command{mismatch};
}

ParseResult ParseSweep(const std::vector<std::string_view>& arguments)
{
    constexpr std::string_view kOptions[] = {"--z0", "--format", "--plot", "--through", "--smith"};
    SweepCommand sweep;
    std::vector<std::string_view> sides;
    const Found error = ScanArguments(
        arguments, kOptions, "missing its value", CollectSides("sweep", sides),
        [&](std::string_view option, std::string_view value) -> Found {
            if (option == "--z0" || option == "--through")
                return ParseSharedOption(option, value, sweep.systemOhms, sweep.through);
            if (option == "--format") {
                if (value != "tsv" && value != "csv")
                    return Error(Quoted(option, value), "expected tsv or csv");
                sweep.format = value == "csv" ? SweepFormat::Csv : SweepFormat::Tsv;
                return std::nullopt;
            }
            const std::string lower = AsciiLower(value);
            if (!lower.ends_with(".svg") && !lower.ends_with(".png"))
                return Error(Quoted(option, value), "expected a file name ending in .svg or .png");
            (option == "--plot" ? sweep.plotPath : sweep.smithPath) = std::string(value);
            return std::nullopt;
        });
    if (error)
        return *error;
    auto parsed = ParseSides("sweep", sides);
    if (auto* bad = std::get_if<UsageError>(&parsed))
        return *bad;
    std::tie(sweep.source, sweep.load) = std::get<0>(parsed);
    if (sweep.source.fixed && sweep.load.fixed && (!sweep.through || sweep.through->pad))
        return Error("sweep", "nothing measured: SOURCE, LOAD or a --through file must be a Touchstone file; "
                              "for one-off values use corvalen-cli mismatch");
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

std::optional<std::variant<measured::SideValues, UsageError>> ParseFixedValue(std::string_view role,
                                                                              std::string_view text)
{
    const std::string lower = AsciiLower(text);
    const std::size_t equals = lower.find('=');
    const std::string_view form = equals == std::string::npos ? "vswr" : std::string_view(lower).substr(0, equals);
    if (form != "vswr" && form != "rl" && form != "gamma")
        return std::nullopt;
    const auto value = ParseDecimal(equals == std::string::npos ? text : text.substr(equals + 1));
    if (!value && equals == std::string::npos)
        return std::nullopt;  // not a number: a file
    if (form == "vswr" && value && *value >= 1.0)
        return measured::FixedSideValues(*value);
    if (form == "rl" && value)
        return measured::ReturnLossSideValues(*value);
    if (form == "gamma" && value && *value <= 1.0)
        return measured::GammaSideValues(*value);
    const std::string_view accepted = form == "vswr" ? "a VSWR must be at least 1"
                                      : form == "rl" ? "expected a return loss in dB of at least 0, such as rl=23"
                                                     : "expected a |G| from 0 to 1, such as gamma=0.07";
    return Error(Quoted(role, text), accepted);
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
        return Error(Quoted("command", command), "expected report, table, mismatch, sweep, --help or --version");
    const auto asksHelp = [](std::string_view argument) { return argument == "--help" || argument == "-h"; };
    if (std::any_of(arguments.begin() + 1, arguments.end(), asksHelp))
        return Command{HelpCommand{std::string(command)}};
    if (command == "report")
        return ParseReport(arguments);
    if (command == "table")
        return ParseTable(arguments);
    if (command == "mismatch")
        return ParseMismatch(arguments);
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
                    "(report, table), the mismatch of one-off values in any form (mismatch) and\n"
                    "of measured data across frequency (sweep).\n");
    for (const Subcommand& s : kSubcommands)
        if (subcommand.empty() || s.name == subcommand)
            text.append("\n").append(s.description);
    text.append("\n");
    if (subcommand.empty() || subcommand == "report" || subcommand == "table")
        text.append(kBarVswrs);
    if (subcommand.empty() || subcommand == "mismatch" || subcommand == "sweep")
        text.append(kFixedValues);
    text.append("Exit status: 0 on success, 1 if the output or plot cannot be written,\n"
                "2 on bad arguments or a file that cannot be read.\n");
    return text;
}

}  // namespace corvalen::cli
