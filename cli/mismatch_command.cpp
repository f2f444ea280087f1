// SPDX-License-Identifier: MIT
#include "mismatch_command.h"

#include "messages.h"
#include "row_text.h"

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
    const RowValues& row = oneOff.pair;
    const auto low = [](const std::optional<CoverageIntervalDb>& c) { return c ? std::optional(c->lowDb) : std::nullopt; };
    const auto high = [](const std::optional<CoverageIntervalDb>& c) { return c ? std::optional(c->highDb) : std::nullopt; };
    std::vector<std::pair<std::string_view, std::optional<double>>> fields = {
        {"source_vswr", row.source.vswr},
        {"source_return_loss_db", row.source.returnLossDb},
        {"source_gamma", row.source.gammaMagnitude},
        {"load_vswr", row.load.vswr},
        {"load_return_loss_db", row.load.returnLossDb},
        {"load_gamma", row.load.gammaMagnitude},
        {"load_mismatch_loss_db", row.loadMismatchLossDb},
        {"max_vswr", row.maxVswr},
        {"combined_return_loss_db", row.combinedReturnLossDb},
        {"plus_uncertainty_db", row.direct.plusUncertaintyDb},
        {"minus_uncertainty_db", row.direct.minusUncertaintyDb},
        {"standard_uncertainty_db", row.direct.standardUncertaintyDb},
        {"coverage_probability", Probability(coveragePercent)},
        {"coverage_low_db", low(oneOff.coverage)},
        {"coverage_high_db", high(oneOff.coverage)}};
    if (const auto& through = row.through) {
        fields.insert(fields.end(), {{"through_plus_uncertainty_db", through->plusUncertaintyDb},
                                     {"through_minus_uncertainty_db", through->minusUncertaintyDb},
                                     {"through_standard_uncertainty_db", through->standardUncertaintyDb},
                                     {"through_coverage_low_db", low(oneOff.throughCoverage)},
                                     {"through_coverage_high_db", high(oneOff.throughCoverage)}});
        if (oneOff.rows)
            fields.emplace_back("through_frequency_hz", row.frequencyHz);
    }
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
    text += Line("VSWR", {Decimals(row.source.vswr), Decimals(row.load.vswr)});
    text += Line("Return loss", {Decimals(row.source.returnLossDb), Decimals(row.load.returnLossDb)}, "dB");
    text += Line("|G|", {Decimals(row.source.gammaMagnitude), Decimals(row.load.gammaMagnitude)});
    text += Line("Load mismatch loss", {Decimals(row.loadMismatchLossDb)}, "dB");
    text += Line("Maximum VSWR", {Decimals(row.maxVswr)});
    text += Line("Combined return loss", {Decimals(row.combinedReturnLossDb)}, "dB");
    text += Uncertainty(row.direct, oneOff.coverage, command.coveragePercent);
    if (!row.through)
        return text;
    text += ThroughHeading(command, oneOff);
    text += Uncertainty(*row.through, oneOff.throughCoverage, command.coveragePercent);
    return text + Verdict(row, ChainSubject(command.bench.chain.size()));
}

}  // namespace

std::string_view ChainSubject(std::size_t elements)
{
    return elements == 1 ? "The two-port" : "The chain";
}

std::string Verdict(const RowValues& row, std::string_view twoPorts)
{
    const double direct = row.direct.plusUncertaintyDb - row.direct.minusUncertaintyDb;
    const double between = row.through->plusUncertaintyDb - row.through->minusUncertaintyDb;
    const std::string subject(twoPorts);
    if (std::isinf(between) || std::isinf(direct))
        return std::isinf(between) && std::isinf(direct) ? "Neither limit pair has a finite lower limit.\n"
               : std::isinf(between) ? subject + " widens the limits: through it the lower limit has no finite value.\n"
                                     : subject + " narrows the limits to a finite width of " + Decimals(between) + " dB.\n";
    if (between == direct)
        return subject + " leaves the limits as wide as without it.\n";
    std::string percent;
    if (direct > 0.0) {
        char buffer[32];
        percent = ", to " + std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, 100.0 * between / direct,
                                                             std::chars_format::fixed, 1).ptr)
                  + " % of their width without it";
    }
    return subject + (between < direct ? " narrows" : " widens") + " the limits by "
           + Decimals(std::abs(direct - between)) + " dB" + percent + ".\n";
}

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
