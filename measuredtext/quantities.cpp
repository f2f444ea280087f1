// SPDX-License-Identifier: MIT
#include "measuredtext/quantities.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace corvalen::measuredtext {
namespace {

using measured::RowValues;
using Value = std::optional<double>;

// The through quantities have a value only on a row with two-ports.
template <typename Field>
Value Through(const RowValues& row, Field field)
{
    return row.through ? Value(*row.through.*field) : std::nullopt;
}

template <typename Get>
void FillWith(std::span<const RowValues> rows, double* out, double absent)
{
    for (std::size_t k = 0; k < rows.size(); ++k)
        out[k] = Get{}(rows[k]).value_or(absent);
}

// A quantity whose value `get` gives, for one row and for rows in a row.
template <typename Get>
constexpr Quantity Make(Part part, std::string_view label, std::string_view unit, std::string_view column,
                        std::string_view jsonKey, std::string_view absent, Get get)
{
    return {part, label, unit, column, jsonKey, absent, +get, &FillWith<Get>};
}

constexpr Quantity kQuantities[] = {
    Make(Part::Frequency, "Frequency", "Hz", "frequency_hz", "", "", [](const RowValues& r) -> Value { return r.frequencyHz; }),
    Make(Part::Source, "VSWR", "", "source_vswr", "source_vswr", "", [](const RowValues& r) -> Value { return r.source.vswr; }),
    Make(Part::Source, "Return loss", "dB", "source_return_loss_db", "source_return_loss_db", "",
     [](const RowValues& r) -> Value { return r.source.returnLossDb; }),
    Make(Part::Source, "|G|", "", "", "source_gamma", "", [](const RowValues& r) -> Value { return r.source.gammaMagnitude; }),
    Make(Part::Load, "VSWR", "", "load_vswr", "load_vswr", "", [](const RowValues& r) -> Value { return r.load.vswr; }),
    Make(Part::Load, "Return loss", "dB", "load_return_loss_db", "load_return_loss_db", "",
     [](const RowValues& r) -> Value { return r.load.returnLossDb; }),
    Make(Part::Load, "|G|", "", "", "load_gamma", "", [](const RowValues& r) -> Value { return r.load.gammaMagnitude; }),
    Make(Part::Pair, "Load mismatch loss", "dB", "load_mismatch_loss_db", "load_mismatch_loss_db", "",
     [](const RowValues& r) -> Value { return r.loadMismatchLossDb; }),
    Make(Part::Pair, "Maximum VSWR", "", "max_vswr", "max_vswr", "", [](const RowValues& r) -> Value { return r.maxVswr; }),
    Make(Part::Pair, "Combined return loss", "dB", "combined_return_loss_db", "combined_return_loss_db", "",
     [](const RowValues& r) -> Value { return r.combinedReturnLossDb; }),
    Make(Part::Direct, "Uncertainty, plus", "dB", "plus_uncertainty_db", "plus_uncertainty_db", "",
     [](const RowValues& r) -> Value { return r.direct.plusUncertaintyDb; }),
    Make(Part::Direct, "Uncertainty, minus", "dB", "minus_uncertainty_db", "minus_uncertainty_db", "",
     [](const RowValues& r) -> Value { return r.direct.minusUncertaintyDb; }),
    Make(Part::Direct, "Mismatch error", "dB", "mismatch_error_db", "", "unknown",
     [](const RowValues& r) -> Value { return r.direct.mismatchErrorDb; }),
    Make(Part::Direct, "Standard uncertainty", "dB", "standard_uncertainty_db", "standard_uncertainty_db", "none",
     [](const RowValues& r) -> Value { return r.direct.standardUncertaintyDb; }),
    Make(Part::Through, "Through: uncertainty, plus", "dB", "through_plus_uncertainty_db", "through_plus_uncertainty_db",
     "", [](const RowValues& r) { return Through(r, &measured::MismatchValues::plusUncertaintyDb); }),
    Make(Part::Through, "Through: uncertainty, minus", "dB", "through_minus_uncertainty_db",
     "through_minus_uncertainty_db", "",
     [](const RowValues& r) { return Through(r, &measured::MismatchValues::minusUncertaintyDb); }),
    Make(Part::Through, "Through: mismatch error", "dB", "through_mismatch_error_db", "", "unknown",
     [](const RowValues& r) { return r.through ? r.through->mismatchErrorDb : std::nullopt; }),
    Make(Part::Through, "Through: standard uncertainty", "dB", "through_standard_uncertainty_db",
     "through_standard_uncertainty_db", "none",
     [](const RowValues& r) { return r.through ? r.through->standardUncertaintyDb : std::nullopt; }),
};

}  // namespace

std::span<const Quantity> Quantities()
{
    return kQuantities;
}

std::span<const Quantity> QuantitiesOf(Part part)
{
    const auto first = std::find_if(std::begin(kQuantities), std::end(kQuantities),
                                     [part](const Quantity& q) { return q.part == part; });
    const auto end = std::find_if(first, std::end(kQuantities), [part](const Quantity& q) { return q.part != part; });
    return {first, end};
}

std::string ReadoutLabel(const Quantity& quantity)
{
    if (quantity.part != Part::Source && quantity.part != Part::Load)
        return std::string(quantity.label);
    std::string label(quantity.label);
    // "Return loss" reads "Source return loss"; an abbreviation such as VSWR keeps its capitals.
    if (label.size() > 1 && label[1] >= 'a' && label[1] <= 'z' && label[0] >= 'A' && label[0] <= 'Z')
        label[0] = static_cast<char>(label[0] - 'A' + 'a');
    return (quantity.part == Part::Source ? "Source " : "Load ") + label;
}

KeyedValues OneOffFields(const measured::OneOffValues& oneOff, double coverageProbability)
{
    const measured::RowValues& row = oneOff.pair;
    const auto low = [](const auto& c) { return c ? std::optional(c->lowDb) : std::nullopt; };
    const auto high = [](const auto& c) { return c ? std::optional(c->highDb) : std::nullopt; };
    KeyedValues fields;
    const auto add = [&](Part part) {
        for (const Quantity& quantity : QuantitiesOf(part))
            if (!quantity.jsonKey.empty())
                fields.emplace_back(quantity.jsonKey, quantity.value(row));
    };
    for (const Part part : {Part::Source, Part::Load, Part::Pair, Part::Direct})
        add(part);
    fields.insert(fields.end(), {{"coverage_probability", coverageProbability},
                                 {"coverage_low_db", low(oneOff.coverage)},
                                 {"coverage_high_db", high(oneOff.coverage)}});
    if (row.through) {
        add(Part::Through);
        fields.insert(fields.end(), {{"through_coverage_low_db", low(oneOff.throughCoverage)},
                                     {"through_coverage_high_db", high(oneOff.throughCoverage)}});
        if (oneOff.rows)
            fields.emplace_back("through_frequency_hz", row.frequencyHz);
    }
    return fields;
}

}  // namespace corvalen::measuredtext
