// SPDX-License-Identifier: MIT
#include "results.h"

#include "text_forms.h"

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace corvalen::python {

namespace py = pybind11;
using namespace corvalen::measured;
using touchstone::Series;

struct SweepColumns {
    std::vector<std::string> names;
    std::vector<Series<double>> values;  // one per name, one value per row
};

namespace {

// An array over memory it takes over, freed when the array goes.
template <typename T>
py::array Adopted(Series<T>&& values, std::vector<py::ssize_t> shape)
{
    auto* owned = new Series<T>(std::move(values));
    const py::capsule owner(owned, [](void* memory) { delete static_cast<Series<T>*>(memory); });
    return py::array_t<T>(std::move(shape), owned->data(), owner);
}

constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

// One row in the columns' order: the pair, then the direct mismatch, then the chain's.
void AppendRow(std::vector<Series<double>>& columns, const RowValues& row)
{
    std::size_t column = 0;
    const auto add = [&](double value) { columns[column++].push_back(value); };
    for (const double value : {row.frequencyHz, row.source.vswr, row.source.returnLossDb, row.load.vswr,
                               row.load.returnLossDb, row.loadMismatchLossDb, row.maxVswr, row.combinedReturnLossDb})
        add(value);
    for (const MismatchValues* mismatch : {&row.direct, row.through ? &*row.through : nullptr}) {
        if (!mismatch)
            break;
        add(mismatch->plusUncertaintyDb);
        add(mismatch->minusUncertaintyDb);
        add(mismatch->mismatchErrorDb.value_or(kEmpty));
        add(mismatch->standardUncertaintyDb.value_or(kEmpty));
    }
}

// The lines corvalen-cli writes on stderr for the same sweep, without its name.
void NoteActive(touchstone::Warnings& notes, const Side& side, const ActivePoints& points)
{
    if (points.count > 0)
        notes.push_back(side.name + ": |G| above 1 at " + std::to_string(points.count)
                        + (points.count == 1 ? " frequency" : " frequencies") + ", the first at "
                        + FrequencyText(points.firstFrequencyHz)
                        + " Hz; VSWR, mismatch loss and limits that have no value there print as inf or -inf");
}

}  // namespace

py::dict NetworkDict(touchstone::Network network)
{
    const auto points = static_cast<py::ssize_t>(network.frequencyHz.size());
    const py::ssize_t ports = network.ports;
    py::dict result;
    result["frequency_hz"] = Adopted(std::move(network.frequencyHz), {points});
    result["s"] = Adopted(std::move(network.s), {points, ports, ports});
    result["z0"] = py::array_t<double>(static_cast<py::ssize_t>(network.referenceOhms.size()),
                                       network.referenceOhms.data());
    result["ports"] = network.ports;
    result["parameter"] = std::string(1, network.parameter);
    result["format"] = network.format;
    result["version"] = network.version;
    result["mixed_mode"] = py::tuple(py::cast(network.labels));
    result["warnings"] = py::tuple(py::cast(network.warnings));
    return result;
}

SweepAnswer RunSweep(const Bench& bench, Band band)
{
    const Sweep sweep(bench);
    SweepAnswer answer{std::make_shared<SweepColumns>(), bench.Warnings()};
    SweepColumns& columns = *answer.columns;
    columns.names = SweepColumnNames(!bench.chain.empty());
    columns.values.resize(columns.names.size());
    for (Series<double>& column : columns.values)
        column.reserve(sweep.Frequencies(band).size());
    if (const std::size_t outside = sweep.GridPointsOutside(); outside > 0)
        answer.notes.push_back(sweep.GridName() + ": " + std::to_string(outside) + " of "
                               + std::to_string(sweep.GridPoints()) + " frequencies lie outside the range of "
                               + sweep.OutsideOf() + " and are left out");
    bool errorKnown = false;
    const ActiveSides active = sweep.Run(
        [&](std::span<const RowValues> rows) {
            for (const RowValues& row : rows) {
                AppendRow(columns.values, row);
                errorKnown = errorKnown || row.direct.mismatchErrorDb || (row.through && row.through->mismatchErrorDb);
            }
        },
        band);
    if (errorKnown)
        answer.notes.push_back("where every phase is measured the mismatch error is known, not spread: its standard "
                               "uncertainty is left empty there");
    NoteActive(answer.notes, bench.source, active.source);
    NoteActive(answer.notes, bench.load, active.load);
    return answer;
}

py::dict ColumnsDict(SweepAnswer answer)
{
    py::dict result;
    for (std::size_t i = 0; i < answer.columns->names.size(); ++i) {
        Series<double>& column = answer.columns->values[i];
        const auto rows = static_cast<py::ssize_t>(column.size());
        result[py::str(answer.columns->names[i])] = Adopted(std::move(column), {rows});
    }
    return result;
}

py::dict OneOffDict(const OneOffValues& oneOff, double coverageProbability)
{
    const RowValues& row = oneOff.pair;
    const auto value = [](const std::optional<double>& number) { return number ? py::cast(*number) : py::none(); };
    const auto low = [&](const std::optional<CoverageIntervalDb>& c) { return c ? py::cast(c->lowDb) : py::none(); };
    const auto high = [&](const std::optional<CoverageIntervalDb>& c) { return c ? py::cast(c->highDb) : py::none(); };
    py::dict result;
    result["source_vswr"] = row.source.vswr;
    result["source_return_loss_db"] = row.source.returnLossDb;
    result["source_gamma"] = row.source.gammaMagnitude;
    result["load_vswr"] = row.load.vswr;
    result["load_return_loss_db"] = row.load.returnLossDb;
    result["load_gamma"] = row.load.gammaMagnitude;
    result["load_mismatch_loss_db"] = row.loadMismatchLossDb;
    result["max_vswr"] = row.maxVswr;
    result["combined_return_loss_db"] = row.combinedReturnLossDb;
    result["plus_uncertainty_db"] = row.direct.plusUncertaintyDb;
    result["minus_uncertainty_db"] = row.direct.minusUncertaintyDb;
    result["standard_uncertainty_db"] = value(row.direct.standardUncertaintyDb);
    result["coverage_probability"] = coverageProbability;
    result["coverage_low_db"] = low(oneOff.coverage);
    result["coverage_high_db"] = high(oneOff.coverage);
    if (const auto& through = row.through) {
        result["through_plus_uncertainty_db"] = through->plusUncertaintyDb;
        result["through_minus_uncertainty_db"] = through->minusUncertaintyDb;
        result["through_standard_uncertainty_db"] = value(through->standardUncertaintyDb);
        result["through_coverage_low_db"] = low(oneOff.throughCoverage);
        result["through_coverage_high_db"] = high(oneOff.throughCoverage);
        if (oneOff.rows)
            result["through_frequency_hz"] = row.frequencyHz;
    }
    return result;
}

}  // namespace corvalen::python
