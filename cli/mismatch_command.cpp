// SPDX-License-Identifier: MIT
#include "mismatch_command.h"

#include "row_text.h"
#include "sweep_command.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;

// The two-port's values for the pair, and for a file the frequency they are
// taken at: the one where the limits are widest, the worst case over its band.
struct ThroughResult {
    ThroughValues values;
    std::optional<double> frequencyHz;
    std::size_t points = 0;
};

ThroughResult Worst(const Through& through, const SideValues& source, const SideValues& load)
{
    const TwoPort* file = through.Measured();
    if (!file)
        return {ComputeThrough(source.gammaMagnitude, load.gammaMagnitude, {}, {}, PadPoint(std::get<Pad>(through.value))),
                std::nullopt, 0};
    ThroughResult worst{};
    for (std::size_t i = 0; i < file->frequencyHz.size(); ++i) {
        const TwoPortPoint point{file->s11[i], file->s21[i], file->s12[i], file->s22[i], true};
        const ThroughValues values = ComputeThrough(source.gammaMagnitude, load.gammaMagnitude, {}, {}, point);
        if (i == 0 || values.plusUncertaintyDb - values.minusUncertaintyDb
                          > worst.values.plusUncertaintyDb - worst.values.minusUncertaintyDb)
            worst = {values, file->frequencyHz[i], file->frequencyHz.size()};
    }
    return worst;
}

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

std::string Json(const RowValues& row, const std::optional<ThroughResult>& through)
{
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
    if (through) {
        fields.insert(fields.end(), {{"through_plus_uncertainty_db", through->values.plusUncertaintyDb},
                                     {"through_minus_uncertainty_db", through->values.minusUncertaintyDb},
                                     {"through_standard_uncertainty_db", through->values.standardUncertaintyDb}});
        if (through->frequencyHz)
            fields.emplace_back("through_frequency_hz", *through->frequencyHz);
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

std::string Text(const MismatchCommand& command, const RowValues& row, const std::optional<ThroughResult>& through)
{
    std::string text = Line("", {"source", "load"});
    text += Line("Fixed value", {command.source.name, command.load.name});
    text += Line("VSWR", {Decimals(row.source.vswr), Decimals(row.load.vswr)});
    text += Line("Return loss", {Decimals(row.source.returnLossDb), Decimals(row.load.returnLossDb)}, "dB");
    text += Line("|G|", {Decimals(row.source.gammaMagnitude), Decimals(row.load.gammaMagnitude)});
    text += Line("Load mismatch loss", {Decimals(row.loadMismatchLossDb)}, "dB");
    text += Line("Maximum VSWR", {Decimals(row.maxVswr)});
    text += Line("Combined return loss", {Decimals(row.combinedReturnLossDb)}, "dB");
    text += Line("Uncertainty limits", {Limits(row.plusUncertaintyDb, row.minusUncertaintyDb)}, "dB");
    text += Line("Standard uncertainty", {Decimals(row.standardUncertaintyDb)}, "dB");
    if (!through)
        return text;
    text += "\nThrough " + command.through->name;
    if (through->frequencyHz)
        text += ", at " + FrequencyText(*through->frequencyHz) + " Hz, where the limits are widest of its "
                + std::to_string(through->points) + " frequencies";
    text += ":\n";
    text += Line("Uncertainty limits", {Limits(through->values.plusUncertaintyDb, through->values.minusUncertaintyDb)}, "dB");
    text += Line("Standard uncertainty", {Decimals(through->values.standardUncertaintyDb)}, "dB");
    return text + Verdict(row, through->values);
}

}  // namespace

int RunMismatchCommand(const MismatchCommand& command, const std::function<void(std::string_view)>& sink)
{
    const RowValues row = ComputeRow(0.0, *command.source.fixed, *command.load.fixed, std::nullopt, std::nullopt);
    std::optional<ThroughResult> through;
    if (command.through) {
        try {
            through = Worst(ReadThrough(*command.through, command.systemOhms), *command.source.fixed,
                            *command.load.fixed);
        } catch (const MeasuredError& error) {
            Note(error.Located());
            return 2;
        }
    }
    sink(command.format == MismatchFormat::Json ? Json(row, through) : Text(command, row, through));
    return 0;
}

}  // namespace corvalen::cli
