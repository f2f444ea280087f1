// SPDX-License-Identifier: MIT
#include "bench_texts.h"

#include "cli/value_forms.h"
#include "touchstone/touchstone.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>

namespace corvalen::sweepwindow {
namespace {

// The CLI's messages start with its own name, which means nothing in a window.
std::string WithoutProgramName(const std::string& message)
{
    constexpr std::string_view kPrefix = "corvalen-cli: ";
    return message.starts_with(kPrefix) ? message.substr(kPrefix.size()) : message;
}

// A file is named by its file name in titles and legends: a window's paths are
// long, and the input shows the whole of it.
std::string FileName(const std::string& path, const std::string& choice = {})
{
    const std::string name = std::filesystem::path(path).filename().string();
    return choice.empty() ? name : name + ":" + choice;
}

// SOURCE or LOAD as the CLI reads them: a fixed value, else a file with its reflection.
std::variant<measured::SideInput, std::string> ReadSide(std::string_view role, const std::string& text)
{
    if (const auto fixed = cli::ParseFixedValue(role, text)) {
        if (const auto* error = std::get_if<cli::UsageError>(&*fixed))
            return WithoutProgramName(error->message);
        return measured::SideInput{text, std::get<measured::SideValues>(*fixed)};
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    std::string name = FileName(path, choice);
    return measured::SideInput{std::move(name), measured::ReflectionFile{std::move(path), std::move(choice)}};
}

// Hertz in a frequency typed with or without its unit.
std::optional<double> ReadFrequencyHz(std::string_view text)
{
    constexpr std::pair<std::string_view, double> kUnits[] = {{"ghz", 1e9}, {"mhz", 1e6}, {"khz", 1e3}, {"hz", 1.0}};
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const auto& [unit, hertz] : kUnits) {
        if (lower.ends_with(unit)) {
            std::string_view number = std::string_view(lower).substr(0, lower.size() - unit.size());
            while (number.ends_with(' '))
                number.remove_suffix(1);
            const auto value = cli::ParseDecimal(number);
            return value ? std::optional(*value * hertz) : std::nullopt;
        }
    }
    return cli::ParseDecimal(lower);
}

}  // namespace

std::variant<measured::Band, std::string> ReadBand(const std::string& fromText, const std::string& toText)
{
    measured::Band band;
    for (const auto& [text, end, name] : {std::tuple{&fromText, &band.fromHz, "From"}, std::tuple{&toText, &band.toHz, "To"}}) {
        if (text->empty())
            continue;
        const auto hertz = ReadFrequencyHz(*text);
        if (!hertz)
            return std::string(name) + " '" + *text + "': expected a frequency such as 2.4 GHz, 800 MHz or 1000000 (hertz)";
        *end = *hertz;
    }
    if (band.fromHz > band.toHz)
        return std::string("From lies above To");
    return band;
}

const char* const kUsage =
    "usage: corvalen-sweep [SOURCE [LOAD]] [--through TWO-PORT]... [--z0 OHMS]\n"
    "  SOURCE, LOAD  a Touchstone file (amp.s2p:S22 names a reflection of a multi-port one)\n"
    "                or a fixed value: 1.5, vswr=1.5, rl=23, gamma=0.07\n"
    "  --through     a two-port file, or loss=DB,vswr=V; given again, the next in a chain\n"
    "                from the source\n"
    "  --z0          the system impedance in ohms (50)\n";

std::variant<ReadTexts, std::vector<InputProblem>> ReadInputTexts(const InputTexts& texts)
{
    ReadTexts read;
    measured::BenchInput& bench = read.bench;
    std::vector<InputProblem> problems;
    const auto ohms = cli::ParseOhms(texts.z0Ohms);
    if (const auto* error = std::get_if<cli::UsageError>(&ohms))
        problems.push_back({InputField::Z0, WithoutProgramName(error->message)});
    else
        bench.systemOhms = std::get<double>(ohms);
    for (const auto& [field, role, text, side] :
         {std::tuple{InputField::Source, "SOURCE", &texts.source, &bench.source},
          std::tuple{InputField::Load, "LOAD", &texts.load, &bench.load}}) {
        auto parsed = text->empty() ? std::variant<measured::SideInput, std::string>(std::string())
                                    : ReadSide(role, *text);
        if (auto* error = std::get_if<std::string>(&parsed))
            problems.push_back({field, std::move(*error)});
        else
            *side = std::get<measured::SideInput>(std::move(parsed));
    }
    for (std::size_t i = 0; i < texts.chain.size(); ++i) {
        if (texts.chain[i].text.empty())
            continue;
        auto twoPort = cli::ParseTwoPort(texts.chain[i].text);
        if (const auto* error = std::get_if<cli::UsageError>(&twoPort)) {
            problems.push_back({InputField::TwoPort, WithoutProgramName(error->message), i});
            continue;
        }
        auto& through = bench.chain.emplace_back(std::get<measured::TwoPortInput>(std::move(twoPort)));
        if (const auto* path = std::get_if<std::string>(&through.value)) {
            // The Reversed box, like :reversed after the name, turns the file round in the engine.
            through.reversed = through.reversed || texts.chain[i].reversed;
            through.name = FileName(*path) + (through.reversed ? " reversed" : "");
        }
        read.chainTexts.push_back(i);
    }
    if (!problems.empty())
        return problems;
    return read;
}

bool HasFile(const measured::BenchInput& bench)
{
    const auto measuredSide = [](const measured::SideInput& side) {
        return std::holds_alternative<measured::ReflectionFile>(side.value);
    };
    const bool measuredTwoPort = std::any_of(bench.chain.begin(), bench.chain.end(), [](const measured::TwoPortInput& t) {
        return std::holds_alternative<std::string>(t.value);
    });
    return measuredSide(bench.source) || measuredSide(bench.load) || measuredTwoPort;
}

std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    std::vector<std::string> sides;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (argument == "--through" || argument == "--z0") {
            if (i + 1 == arguments.size())
                return argument + " is missing its value";
            if (argument == "--z0")
                line.texts.z0Ohms = arguments[++i];
            else
                line.texts.chain.push_back({arguments[++i]});
        } else if (argument.starts_with("--") && argument.size() > 2) {
            return "unknown option " + argument;
        } else if (sides.size() == 2) {
            return "one SOURCE and one LOAD: " + argument + " is one too many";
        } else {
            sides.push_back(argument);
        }
    }
    if (!sides.empty())
        line.texts.source = sides[0];
    if (sides.size() > 1)
        line.texts.load = sides[1];
    return line;
}

}  // namespace corvalen::sweepwindow
