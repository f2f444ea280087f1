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

// The shortest text that reads back as the value; null where it is not finite.
std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    // A loss of exactly nothing is 0, not -0.
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value == 0.0 ? 0.0 : value).ptr);
}

std::string Json(const OneOffValues& oneOff)
{
    const RowValues& row = oneOff.pair;
    std::vector<std::pair<std::string_view, double>> fields = {
        {"source_vswr", row.source.vswr},
        {"source_return_loss_db", row.source.returnLossDb},
        {"source_gamma", row.source.gammaMagnitude},
        {"load_vswr", row.load.vswr},
        {"load_return_loss_db", row.load.returnLossDb},
        {"load_gamma", row.load.gammaMagnitude},
        {"load_mismatch_loss_db", row.loadMismatchLossDb},
        {"max_vswr", row.maxVswr},
        {"combined_return_loss_db", row.combinedReturnLossDb},
        {"plus_uncertainty_db", row.plusUncertaintyDb},
        {"minus_uncertainty_db", row.minusUncertaintyDb},
        {"standard_uncertainty_db", row.standardUncertaintyDb}};
    if (const auto& through = row.through) {
        fields.insert(fields.end(), {{"through_plus_uncertainty_db", through->plusUncertaintyDb},
                                     {"through_minus_uncertainty_db", through->minusUncertaintyDb},
                                     {"through_standard_uncertainty_db", through->standardUncertaintyDb}});
        if (oneOff.twoPortPoints)
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

// Whether the two-port narrows or widens the limits, and by how much.
std::string Verdict(const RowValues& row, const ThroughValues& through)
{
    const double direct = row.plusUncertaintyDb - row.minusUncertaintyDb;
    const double between = through.plusUncertaintyDb - through.minusUncertaintyDb;
    if (std::isinf(between) || std::isinf(direct))
        return std::isinf(between) && std::isinf(direct) ? "Neither limit pair has a finite lower limit.\n"
               : std::isinf(between) ? "The two-port widens the limits: through it the lower limit has no finite value.\n"
                                     : "The two-port narrows the limits to a finite width of " + Decimals(between) + " dB.\n";
    if (between == direct)
        return "The two-port leaves the limits as wide as without it.\n";
    std::string percent;
    if (direct > 0.0) {
        char buffer[32];
        percent = ", to " + std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, 100.0 * between / direct,
                                                             std::chars_format::fixed, 1).ptr)
                  + " % of their width without it";
    }
    return std::string("The two-port ") + (between < direct ? "narrows" : "widens") + " the limits by "
           + Decimals(std::abs(direct - between)) + " dB" + percent + ".\n";
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
    text += Line("Uncertainty limits", {Limits(row.plusUncertaintyDb, row.minusUncertaintyDb)}, "dB");
    text += Line("Standard uncertainty", {Decimals(row.standardUncertaintyDb)}, "dB");
    if (!row.through)
        return text;
    text += "\nThrough " + command.bench.chain.front().name;
    if (oneOff.twoPortPoints)
        text += ", at " + touchstone::FrequencyText(row.frequencyHz) + " Hz, where the limits are widest of its "
                + std::to_string(*oneOff.twoPortPoints) + " frequencies";
    text += ":\n";
    text += Line("Uncertainty limits", {Limits(row.through->plusUncertaintyDb, row.through->minusUncertaintyDb)}, "dB");
    text += Line("Standard uncertainty", {Decimals(row.through->standardUncertaintyDb)}, "dB");
    return text + Verdict(row, *row.through);
}

}  // namespace

int RunMismatchCommand(const MismatchCommand& command, const std::function<void(std::string_view)>& sink)
{
    OneOffValues oneOff;
    try {
        oneOff = ComputeOneOff(command.bench);
    } catch (const touchstone::MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    for (const std::string& warning : oneOff.warnings)
        Note(warning);
    sink(command.format == MismatchFormat::Json ? Json(oneOff) : Text(command, oneOff));
    return 0;
}

}  // namespace corvalen::cli
