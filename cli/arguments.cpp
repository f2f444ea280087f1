// SPDX-License-Identifier: MIT
#include "arguments.h"

#include "help_text.h"

#include "touchstone/ascii.h"
#include "touchstone/touchstone.h"

#include <algorithm>
#include <functional>
#include <span>

namespace corvalen::cli {
namespace {

constexpr std::string_view kVswrAccepted =
    "expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99";
constexpr std::string_view kRangeAccepted =
    "expected FROM:TO, two VSWRs from 1.00 to 5.00 with at most two decimals and FROM not above TO, "
    "such as 1.5:2.5";

using Found = std::optional<UsageError>;

// The arguments after the subcommand: each of `options` at most once (but
// --through, once for each two-port of a chain), as --option=value or --option
// value, handed to `option`; any other argument not starting with "--" to `positional`.
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
        if (name != "--through" && std::find(given.begin(), given.end(), name) != given.end())
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

std::variant<measured::SideInput, UsageError> ParseSide(std::string_view role, std::string_view text)
{
    if (auto fixed = ParseFixedValue(role, text)) {
        if (auto* error = std::get_if<UsageError>(&*fixed))
            return *error;
        return measured::SideInput{std::string(text), std::get<measured::SideValues>(*fixed)};
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    if (path.empty())
        return Error(Quoted(role, text), "expected a Touchstone file, FILE:Skk or a fixed value such as 1.5 or rl=20");
    return measured::SideInput{std::string(text), measured::ReflectionFile{std::move(path), std::move(choice)}};
}

// The options that mismatch and sweep share.
Found ParseSharedOption(std::string_view option, std::string_view value, measured::BenchInput& bench)
{
    if (option == "--z0") {
        auto ohms = ParseOhms(value);
        if (auto* error = std::get_if<UsageError>(&ohms))
            return *error;
        bench.systemOhms = std::get<double>(ohms);
        return std::nullopt;
    }
    auto twoPort = ParseTwoPort(value);
    if (auto* error = std::get_if<UsageError>(&twoPort))
        return *error;
    bench.chain.push_back(std::get<measured::TwoPortInput>(twoPort));
    return std::nullopt;
}

// SOURCE and LOAD, the two arguments that are not options.
Found ParseSides(std::string_view subcommand, const std::vector<std::string_view>& sides, measured::BenchInput& bench)
{
    if (sides.size() < 2)
        return Error(subcommand, std::string(sides.empty() ? "missing SOURCE; " : "missing LOAD; ") + Usage(subcommand));
    auto source = ParseSide("SOURCE", sides[0]);
    if (auto* bad = std::get_if<UsageError>(&source))
        return *bad;
    auto load = ParseSide("LOAD", sides[1]);
    if (auto* bad = std::get_if<UsageError>(&load))
        return *bad;
    bench.source = std::get<measured::SideInput>(std::move(source));
    bench.load = std::get<measured::SideInput>(std::move(load));
    return std::nullopt;
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
    constexpr std::string_view kOptions[] = {"--through", "--z0", "--format", "--coverage"};
    MismatchCommand mismatch;
    std::vector<std::string_view> sides;
    const Found error = ScanArguments(
        arguments, kOptions, "missing its value", CollectSides("mismatch", sides),
        [&](std::string_view option, std::string_view value) -> Found {
            if (option == "--coverage") {
                auto percent = ParseCoverage(value);
                if (auto* bad = std::get_if<UsageError>(&percent))
                    return *bad;
                mismatch.coveragePercent = std::get<double>(percent);
                return std::nullopt;
            }
            if (option != "--format")
                return ParseSharedOption(option, value, mismatch.bench);
            if (value != "text" && value != "json")
                return Error(Quoted(option, value), "expected text or json");
            mismatch.format = value == "json" ? MismatchFormat::Json : MismatchFormat::Text;
            return std::nullopt;
        });
    if (error)
        return *error;
    if (Found bad = ParseSides("mismatch", sides, mismatch.bench))
        return *bad;
    for (const measured::SideInput* side : {&mismatch.bench.source, &mismatch.bench.load})
        if (!std::holds_alternative<measured::SideValues>(side->value))
            return Error(Quoted(side == &mismatch.bench.source ? "SOURCE" : "LOAD", side->name),
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
                return ParseSharedOption(option, value, sweep.bench);
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
    if (Found bad = ParseSides("sweep", sides, sweep.bench))
        return *bad;
    const auto fixed = [](const measured::SideInput& side) {
        return std::holds_alternative<measured::SideValues>(side.value);
    };
    const auto pad = [](const measured::TwoPortInput& twoPort) {
        return std::holds_alternative<measured::Pad>(twoPort.value);
    };
    const auto& chain = sweep.bench.chain;
    if (fixed(sweep.bench.source) && fixed(sweep.bench.load) && std::all_of(chain.begin(), chain.end(), pad))
        return Error("sweep", "nothing measured: SOURCE, LOAD or a --through file must be a Touchstone file; "
                              "for one-off values use corvalen-cli mismatch");
    return Command{sweep};
}

}  // namespace

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
    if (!IsSubcommand(command))
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

}  // namespace corvalen::cli
