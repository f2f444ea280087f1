// SPDX-License-Identifier: MIT
#include "header.h"

#include "ascii.h"
#include "refusals.h"
#include "tokens.h"

#include "measuredtext/frequency_units.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <optional>

namespace corvalen::touchstone {
namespace {

constexpr std::string_view kKeywords[] = {"version",           "number of ports",
                                          "two-port data order", "number of frequencies",
                                          "number of noise frequencies", "reference",
                                          "matrix format",     "mixed-mode order"};

// The standard: a version 1 file's name ends in .snp, n its number of ports.
std::optional<int> PortsFromName(const std::string& path)
{
    const std::string extension = AsciiLower(std::filesystem::path(path).extension().string());
    if (extension.size() < 4 || extension[1] != 's' || extension.back() != 'p')
        return std::nullopt;
    const int ports = DigitsValue(std::string_view(extension).substr(2, extension.size() - 3));
    return ports >= 1 ? std::optional(ports) : std::nullopt;
}

}  // namespace

void HeaderReader::Options(std::string_view text)
{
    if (header_.optionsLine != 0)
        return;  // the standard: only the first option line counts
    header_.optionsLine = lines_.number();
    static constexpr std::pair<std::string_view, Format> kFormats[] = {
        {"ri", Format::RealImaginary}, {"ma", Format::MagnitudeAngle}, {"db", Format::DecibelAngle}};
    static constexpr std::pair<std::string_view, ParameterType> kTypes[] = {
        {"s", ParameterType::S}, {"y", ParameterType::Y}, {"z", ParameterType::Z},
        {"h", ParameterType::H}, {"g", ParameterType::G}};
    const auto set = [](const auto& table, std::string_view option, auto& field) {
        const auto found = std::find_if(std::begin(table), std::end(table), [&](const auto& e) { return e.first == option; });
        if (found != std::end(table))
            field = found->second;
        return found != std::end(table);
    };
    for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
        const std::string option = AsciiLower(token);
        if (const auto* unit = measuredtext::FindFrequencyUnit(option)) {
            header_.unitExponent = unit->exponent;
            continue;
        }
        if (set(kFormats, option, header_.format) || set(kTypes, option, header_.type))
            continue;
        if (option != "r")
            lines_.Fail("unknown option " + Quoted(token));
        ReferencesOnOptionLine(text);
    }
}

// R and its impedances: one for every port, or one per port (version 2.1, and
// version 1 files in what 2.1 calls Version 1.1 syntax, having no keywords).
void HeaderReader::ReferencesOnOptionLine(std::string_view& text)
{
    std::vector<double>& ohms = header_.optionOhms;
    ohms.clear();
    for (std::string_view rest = text;;) {
        const std::string_view token = NextToken(rest);
        if (token.empty() || (!ohms.empty() && !LooksNumeric(token)))
            break;
        if (!ohms.empty() && header_.version2 && header_.minorVersion < 1)
            lines_.Fail("unknown option " + Quoted(token) + "; one reference impedance per port needs [Version] 2.1");
        const double value = RequireNumber(lines_, token);
        if (!(value > 0.0))
            lines_.Fail("the reference impedance must be above 0 ohms");
        ohms.push_back(value);
        text = rest;
    }
    if (ohms.empty())
        lines_.Fail("R without a reference impedance");
}

bool HeaderReader::Reads(std::string_view name)
{
    return std::find(std::begin(kKeywords), std::end(kKeywords), name) != std::end(kKeywords);
}

void HeaderReader::Keyword(std::string_view name, std::string_view rest)
{
    Header& h = header_;
    if (name == "version") {
        Version(rest);
    } else if (name == "number of ports") {
        // [Reference] and [Mixed-Mode Order] are read against the first count.
        if (h.ports != 0)
            lines_.Fail("[Number of Ports] given twice");
        h.ports = static_cast<int>(WholeNumber(rest, "Number of Ports", 1, 999));
        h.portsLine = lines_.number();
    } else if (name == "two-port data order") {
        if (rest != "12_21" && rest != "21_12")
            lines_.Fail("[Two-Port Data Order] must be 12_21 or 21_12");
        h.twelveFirst = rest == "12_21";
        h.twoPortOrderGiven = true;
    } else if (name == "number of frequencies") {
        h.declaredFrequencies = WholeNumber(rest, "Number of Frequencies", 1, 1e18);
    } else if (name == "number of noise frequencies") {
        h.declaredNoiseFrequencies = WholeNumber(rest, "Number of Noise Frequencies", 1, 1e18);
    } else if (name == "reference") {
        if (h.ports == 0)
            lines_.Fail("[Reference] before [Number of Ports]");
        h.portOhms.clear();
        wantsReferences_ = true;
        if (!rest.empty())
            References(rest);
    } else if (name == "matrix format") {
        const std::string format = AsciiLower(rest);
        if (format != "full" && format != "lower" && format != "upper")
            lines_.Fail("[Matrix Format] must be Full, Lower or Upper");
        h.matrixFormat = format[0];
    } else {
        if (h.ports == 0)
            lines_.Fail("[Mixed-Mode Order] before [Number of Ports]");
        h.order = ReadMixedModeOrder(rest, h.ports, lines_);
    }
}

void HeaderReader::Version(std::string_view rest)
{
    if (rest.size() < 3 || !rest.starts_with("2.") || !AllDigits(rest.substr(2)))
        lines_.Fail("unknown [Version] " + Quoted(rest));
    header_.version2 = true;
    header_.minorVersion = DigitsValue(rest.substr(2));
    // An option line read before it was taken as version 1's.
    if (header_.minorVersion < 1 && header_.optionOhms.size() > 1)
        lines_.FailAt(header_.optionsLine, "one reference impedance per port needs [Version] 2.1, not " + std::string(rest));
}

// The reference impedances, one per port, possibly over several lines.
void HeaderReader::References(std::string_view text)
{
    const auto ports = static_cast<std::size_t>(header_.ports);
    for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
        if (header_.portOhms.size() == ports)
            lines_.Fail("more [Reference] values than ports");
        const double ohms = RequireNumber(lines_, token);
        if (!(ohms > 0.0))
            lines_.Fail("a reference impedance must be above 0 ohms");
        header_.portOhms.push_back(ohms);
    }
    wantsReferences_ = header_.portOhms.size() != ports;
}

std::size_t HeaderReader::WholeNumber(std::string_view text, std::string_view keyword, double least, double most) const
{
    const auto value = ParseNumber(text);
    if (value && *value >= least && *value <= most && *value == std::floor(*value))
        return static_cast<std::size_t>(*value);
    // Appended: GCC 12 warns wrongly (-Wrestrict) on "[" + std::string(...).
    std::string what("[");
    what.append(keyword).append("] must be a whole number ");
    if (most < 1e15)
        what.append("from ").append(std::to_string(static_cast<long>(least))).append(" to ");
    else
        what.append("of at least ");
    lines_.Fail(what.append(std::to_string(static_cast<long>(most < 1e15 ? most : least))));
}

const Header& HeaderReader::Complete()
{
    Header& h = header_;
    if (h.ports == 0) {
        if (h.version2)
            lines_.Fail("[Number of Ports] is missing");
        const auto fromName = PortsFromName(lines_.name());
        if (!fromName)
            lines_.Fail("cannot tell the number of ports: name the file .s1p, .s2p, ... or give [Number of Ports]");
        h.ports = *fromName;
    }
    if (h.version2 && h.optionsLine == 0)
        lines_.Fail("the option line (such as # GHz S MA R 50) is missing");
    if (h.version2 && h.ports == 2 && !h.twoPortOrderGiven)
        lines_.Fail("a version 2 two-port file needs [Two-Port Data Order]");
    if (h.version2 && h.declaredFrequencies == 0)
        lines_.Fail("[Number of Frequencies] is missing");
    if ((h.type == ParameterType::H || h.type == ParameterType::G) && h.ports != 2)
        lines_.FailAt(h.optionsLine, TypeName(h.type) + "-parameters are for two-ports only; this file has "
                                         + std::to_string(h.ports) + " ports");
    return h;
}

std::vector<double> HeaderReader::PortOhms() const
{
    const Header& h = header_;
    const auto ports = static_cast<std::size_t>(h.ports);
    if (!h.portOhms.empty())
        return h.portOhms;
    if (h.optionOhms.size() > 1 && h.optionOhms.size() != ports)
        lines_.FailAt(h.optionsLine, "the option line gives " + std::to_string(h.optionOhms.size())
                                         + " reference impedances for " + std::to_string(ports)
                                         + (ports == 1 ? " port" : " ports"));
    if (h.optionOhms.size() > 1)
        return h.optionOhms;
    return std::vector<double>(ports, h.optionOhms.empty() ? 50.0 : h.optionOhms.front());
}

}  // namespace corvalen::touchstone
