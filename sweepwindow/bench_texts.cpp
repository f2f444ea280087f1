// SPDX-License-Identifier: MIT
#include "bench_texts.h"

#include "measuredtext/value_forms.h"
#include "touchstone/touchstone.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>

namespace corvalen::sweepwindow {
namespace {

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
    if (const auto fixed = measuredtext::ParseFixedValue(role, text)) {
        if (const auto* error = std::get_if<measuredtext::InputError>(&*fixed))
            return error->message;
        return measured::SideInput{text, std::get<measured::SideValues>(*fixed)};
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    std::string name = FileName(path, choice);
    return measured::SideInput{std::move(name), measured::ReflectionFile{std::move(path), std::move(choice)}};
}

}  // namespace

std::variant<measured::Band, std::string> ReadBand(const std::string& fromText, const std::string& toText)
{
    measured::Band band;
    for (const auto& [text, end, name] : {std::tuple{&fromText, &band.fromHz, "From"}, std::tuple{&toText, &band.toHz, "To"}}) {
        if (text->empty())
            continue;
        const auto hertz = measuredtext::ParseFrequencyHz(*text);
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
    const auto ohms = measuredtext::ParseOhms(texts.z0Ohms);
    if (const auto* error = std::get_if<measuredtext::InputError>(&ohms))
        problems.push_back({InputField::Z0, error->message});
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
        auto twoPort = measuredtext::ParseTwoPort(texts.chain[i].text);
        if (const auto* error = std::get_if<measuredtext::InputError>(&twoPort)) {
            problems.push_back({InputField::TwoPort, error->message, i});
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
