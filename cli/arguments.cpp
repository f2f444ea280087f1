// SPDX-License-Identifier: MIT
#include "arguments.h"

#include "measured/touchstone.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace corvalen::cli {
namespace {

constexpr std::string_view kVswrAccepted =
    "expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99";
constexpr std::string_view kRangeAccepted =
    "expected FROM:TO, two VSWRs from 1.00 to 5.00 with at most two decimals and FROM not above TO, "
    "such as 1.5:2.5";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

UsageError Error(std::string_view subject, std::string_view accepted)
{
    std::string message = "corvalen-cli: ";
    message.append(subject).append(": ").append(accepted);
    return {message};
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

ParseResult ParseReport(const std::vector<std::string_view>& arguments)
{
    if (arguments.size() < 3) {
        const std::string_view missing = arguments.size() < 2 ? "SOURCE" : "LOAD";
        return Error("report", "missing " + std::string(missing) + "; usage: corvalen-cli report SOURCE LOAD");
    }
    if (arguments.size() > 3)
        return Error(Quoted("report", arguments[3]), "unexpected extra argument; usage: corvalen-cli report SOURCE LOAD");

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
    TableCommand table;
    bool sourceGiven = false;
    bool loadGiven = false;

    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];
        std::optional<std::string_view> value;
        if (const auto equals = option.find('='); option.starts_with("--") && equals != std::string_view::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        }

        const bool isSource = option == "--source";
        if (!isSource && option != "--load")
            return Error(Quoted("table", arguments[i]),
                         "unknown argument; usage: corvalen-cli table [--source FROM:TO] [--load FROM:TO]");

        bool& given = isSource ? sourceGiven : loadGiven;
        if (given)
            return Error(option, "given more than once");
        given = true;

        if (!value) {
            if (i + 1 == arguments.size())
                return Error(option, "missing FROM:TO");
            value = arguments[++i];
        }
        const auto range = ParseBarRange(*value);
        if (!range)
            return Error(Quoted(option, *value), kRangeAccepted);
        (isSource ? table.source : table.load) = *range;
    }
    return Command{table};
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

// A plain decimal such as 1.5 or 75, read the same in every locale.
std::optional<double> ParseDecimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (!digits(text.substr(0, point)) || (point != std::string_view::npos && !digits(text.substr(point + 1))))
        return std::nullopt;
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::variant<SweepSide, UsageError> ParseSweepSide(std::string_view role, std::string_view text)
{
    SweepSide side{std::string(text), std::string(text), {}, std::nullopt};
    if (const auto vswr = ParseDecimal(text)) {
        if (*vswr < 1.0)
            return Error(Quoted(role, text), "a VSWR must be at least 1");
        side.fixedVswr = vswr;
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
    constexpr std::string_view kUsage =
        "usage: corvalen-cli sweep SOURCE LOAD [--z0 OHMS] [--format tsv|csv] [--plot FILE]";
    SweepCommand sweep;
    std::vector<std::string_view> sides;
    std::vector<std::string_view> given;

    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];
        if (!option.starts_with("--")) {
            if (sides.size() == 2)
                return Error(Quoted("sweep", option), "unexpected extra argument; " + std::string(kUsage));
            sides.push_back(option);
            continue;
        }
        std::optional<std::string_view> value;
        if (const auto equals = option.find('='); equals != std::string_view::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        }
        if (option != "--z0" && option != "--format" && option != "--plot")
            return Error(Quoted("sweep", arguments[i]), "unknown argument; " + std::string(kUsage));
        if (std::find(given.begin(), given.end(), option) != given.end())
            return Error(option, "given more than once");
        given.push_back(option);
        if (!value) {
            if (i + 1 == arguments.size())
                return Error(option, "missing its value");
            value = arguments[++i];
        }

        if (option == "--z0") {
            const auto ohms = ParseDecimal(*value);
            if (!ohms || !(*ohms > 0.0))
                return Error(Quoted(option, *value), "expected an impedance in ohms above 0, such as 50 or 75");
            sweep.systemOhms = *ohms;
        } else if (option == "--format") {
            if (*value != "tsv" && *value != "csv")
                return Error(Quoted(option, *value), "expected tsv or csv");
            sweep.format = *value == "csv" ? SweepFormat::Csv : SweepFormat::Tsv;
        } else {
            const std::string lower = Lower(*value);
            if (!lower.ends_with(".svg") && !lower.ends_with(".png"))
                return Error(Quoted(option, *value), "expected a file name ending in .svg or .png");
            sweep.plotPath = std::string(*value);
        }
    }
    if (sides.size() < 2)
        return Error("sweep", std::string(sides.empty() ? "missing SOURCE; " : "missing LOAD; ") + std::string(kUsage));

    auto source = ParseSweepSide("SOURCE", sides[0]);
    if (auto* error = std::get_if<UsageError>(&source))
        return *error;
    auto load = ParseSweepSide("LOAD", sides[1]);
    if (auto* error = std::get_if<UsageError>(&load))
        return *error;
    sweep.source = std::get<SweepSide>(source);
    sweep.load = std::get<SweepSide>(load);
    if (sweep.source.fixedVswr && sweep.load.fixedVswr)
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

std::optional<BarValue> ParseVswr(std::string_view text)
{
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    const std::string_view decimals = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);

    // Leading zeros are taken however many there are; what is left of the
    // whole number has one digit in range, so it cannot overflow.
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    if (whole.size() != 1)
        return std::nullopt;
    if (point != std::string_view::npos && (decimals.empty() || decimals.size() > 2))
        return std::nullopt;

    int hundredths = 0;
    for (const char c : whole) {
        if (!IsDigit(c))
            return std::nullopt;
        hundredths = hundredths * 10 + (c - '0');
    }
    hundredths *= 100;
    int scale = 10;
    for (const char c : decimals) {
        if (!IsDigit(c))
            return std::nullopt;
        hundredths += (c - '0') * scale;
        scale /= 10;
    }

    if (!IsValidBar(hundredths))
        return std::nullopt;
    return static_cast<BarValue>(hundredths);
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
    if (command == "report")
        return ParseReport(arguments);
    if (command == "table")
        return ParseTable(arguments);
    if (command == "sweep")
        return ParseSweep(arguments);
    return Error(Quoted("command", command), "expected report, table, sweep, --help or --version");
}

std::string UsageText()
{
    return "Usage:\n"
           "  corvalen-cli report SOURCE LOAD\n"
           "  corvalen-cli table [--source FROM:TO] [--load FROM:TO]\n"
           "  corvalen-cli sweep SOURCE LOAD [--z0 OHMS] [--format tsv|csv] [--plot FILE]\n"
           "  corvalen-cli --help | --version\n"
           "\n"
           "Prints the texts of the Corvalen window for a source and a load VSWR.\n"
           "\n"
           "  report   the clipboard report for one pair, with CR LF line ends\n"
           "  table    one tab-separated row of the eleven output texts per pair,\n"
           "           source in the outer loop and load in the inner loop, both\n"
           "           ascending; each range defaults to 1.00:5.00\n"
           "\n"
           "  sweep    one row per frequency for a measured source and load: each\n"
           "           side's VSWR and return loss, the load's mismatch loss, the\n"
           "           maximum VSWR, combined return loss, uncertainty limits and\n"
           "           the mismatch error from the measured phases. SOURCE and LOAD\n"
           "           are Touchstone files (amp.s1p), a reflection of a multi-port\n"
           "           file (amp.s2p:S22) or a fixed VSWR of at least 1 (1.5).\n"
           "           --z0 sets the system impedance (50 ohms), --plot also draws\n"
           "           the limits and the error into an .svg or .png file\n"
           "\n"
           "A VSWR is a plain decimal from 1.00 to 5.00 with at most two decimals,\n"
           "such as 1.5, 2 or 4.99; the decimal mark is always a point.\n"
           "Exit status: 0 on success, 1 if the output or plot cannot be written,\n"
           "2 on bad arguments or a file that cannot be read.\n";
}

}  // namespace corvalen::cli
