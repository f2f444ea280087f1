// SPDX-License-Identifier: MIT
#include "mismatch_command.h"

#include "program_lines.h"

#include "measuredtext/quantities.h"
#include "measuredtext/row_text.h"
#include "measuredtext/verdict.h"

#include "measured/worst_case.h"
#include "touchstone/touchstone.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;
using namespace corvalen::measuredtext;

std::string Decimals(double value, bool sign = false)
{
    std::string text = sign && !(value < 0.0) ? "+" : "";
    AppendFourDecimals(text, value);
    return text;
}

// The shortest text that reads back as the value.
std::string Shortest(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Null where it is not finite, and a loss of exactly nothing is 0, not -0.
std::string JsonNumber(double value)
{
    return std::isfinite(value) ? Shortest(value == 0.0 ? 0.0 : value) : "null";
}

// Read as hundredths, so that 99.73 % gives the double nearest 0.9973, which
// prints as written.
double Probability(double percent)
{
    const std::string hundredths = Shortest(percent) + "e-2";
    double probability = 0.0;
    std::from_chars(hundredths.data(), hundredths.data() + hundredths.size(), probability);
    return probability;
}

// Null where there is no value.
std::string JsonNumber(const std::optional<double>& value)
{
    return value ? JsonNumber(*value) : "null";
}

std::string Json(const OneOffValues& oneOff, double coveragePercent)
{
    const KeyedValues fields = OneOffFields(oneOff, Probability(coveragePercent));
    std::string text = "{";
    for (const auto& [key, value] : fields)
        text.append(text.size() > 1 ? ", \"" : "\"").append(key).append("\": ").append(JsonNumber(value));
    return text + "}\n";
}

// One line: the label, then the values aligned in columns.
std::string Line(std::string_view label, std::initializer_list<std::string> values, std::string_view unit = {})
{
    constexpr std::size_t kLabelWidth = 24;
    constexpr std::size_t kValueWidth = 10;
    std::string line(label);
    line.resize(std::max(kLabelWidth, line.size() + 1), ' ');
    for (const std::string& value : values)
        line.append(value.size() < kValueWidth ? kValueWidth - value.size() : 1, ' ').append(value);
    if (!unit.empty())
        line.append(" ").append(unit);
    return line + "\n";
}

std::string Limits(double plusDb, double minusDb)
{
    return Decimals(plusDb, true) + " / " + Decimals(minusDb);
}

// The limits, and where a phase is unknown the standard uncertainty, the
// coverage interval and what u x 2, as if the error were normal, would claim.
std::string Uncertainty(const MismatchValues& values, const std::optional<CoverageIntervalDb>& coverage,
                        double coveragePercent)
{
    std::string text = Line("Uncertainty limits", {Limits(values.plusUncertaintyDb, values.minusUncertaintyDb)}, "dB");
    if (!values.standardUncertaintyDb || !coverage)
        return text;
    text += Line("Standard uncertainty", {Decimals(*values.standardUncertaintyDb)}, "dB");
    text += Line(Shortest(coveragePercent) + " % interval",
                 {Decimals(coverage->lowDb, true) + " / " + Decimals(coverage->highDb, true)}, "dB");
    return text + Line("u x 2 would claim", {"+-" + Decimals(2.0 * *values.standardUncertaintyDb)}, "dB");
}

// "Through cable.s2p then loss=3,vswr=1.2, at 1000000 Hz, where the limits are widest of its 201 frequencies:"
std::string ThroughHeading(const MismatchCommand& command, const OneOffValues& oneOff)
{
    std::string text = "\nThrough ";
    for (const TwoPortInput& twoPort : command.bench.chain)
        text.append(&twoPort == &command.bench.chain.front() ? "" : " then ").append(twoPort.name);
    if (oneOff.rows) {
        text += ", at " + touchstone::FrequencyText(oneOff.pair.frequencyHz) + " Hz, where the limits are widest of ";
        text += oneOff.outsideOf.empty() ? "its " + std::to_string(*oneOff.rows) + " frequencies"
                                         : "the " + std::to_string(*oneOff.rows) + " frequencies of " + oneOff.gridName
                                               + " inside the range of " + oneOff.outsideOf;
    }
    return text + ":\n";
}

std::string Text(const MismatchCommand& command, const OneOffValues& oneOff)
{
    const RowValues& row = oneOff.pair;
    std::string text = Line("", {"source", "load"});
    text += Line("Fixed value", {command.bench.source.name, command.bench.load.name});
    // A side's quantities in two columns, the source's beside the load's.
    const auto loads = QuantitiesOf(Part::Load);
    for (std::size_t i = 0; i < loads.size(); ++i) {
        const Quantity& source = QuantitiesOf(Part::Source)[i];
        text += Line(source.label, {Decimals(*source.value(row)), Decimals(*loads[i].value(row))}, source.unit);
    }
    for (const Quantity& quantity : QuantitiesOf(Part::Pair))
        text += Line(quantity.label, {Decimals(*quantity.value(row))}, quantity.unit);
    text += Uncertainty(row.direct, oneOff.coverage, command.coveragePercent);
    if (!row.through)
        return text;
    text += ThroughHeading(command, oneOff);
    text += Uncertainty(*row.through, oneOff.throughCoverage, command.coveragePercent);
    return text + Verdict(row, ChainSubject(command.bench.chain.size()));
}

}  // namespace

int RunMismatchCommand(const MismatchCommand& command, const std::function<void(std::string_view)>& sink)
{
    OneOffValues oneOff;
    try {
        oneOff = ComputeOneOff(command.bench, Probability(command.coveragePercent));
    } catch (const touchstone::MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    for (const std::string& warning : oneOff.warnings)
        Note(warning);
    sink(command.format == MismatchFormat::Json ? Json(oneOff, command.coveragePercent) : Text(command, oneOff));
    return 0;
}

}  // namespace corvalen::cli
