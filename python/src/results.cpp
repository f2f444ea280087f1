// SPDX-License-Identifier: MIT
#include "results.h"

#include "text_forms.h"

#include "measuredtext/quantities.h"
#include "platform/memory.h"

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace corvalen::python {

namespace py = pybind11;
using namespace corvalen::measured;
using touchstone::Series;

// The columns lie end to end in one block: one allocation, filled in at once,
// where a block of its own for each column of a large sweep was one each.
struct SweepColumns {
    std::vector<const measuredtext::Quantity*> quantities;
    std::shared_ptr<double[]> block;  // shared by the arrays made over it
    std::vector<double*> values;            // where each quantity's column starts in it, one value per row
    std::size_t rows = 0;
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

// An array over a column of the block, which stays while any such array does.
py::array OverBlock(const std::shared_ptr<double[]>& block, double* column, py::ssize_t rows)
{
    auto* owned = new std::shared_ptr<double[]>(block);
    const py::capsule owner(owned, [](void* memory) { delete static_cast<std::shared_ptr<double[]>*>(memory); });
    return py::array_t<double>({rows}, column, owner);
}

constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

// What a run over part of the rows met, for the notes.
struct PartRun {
    ActiveSides active;
    bool errorKnown = false;  // a row where every phase is measured
};

// The rows of `band` into the columns from row `offset` on.
PartRun FillColumns(const Sweep& sweep, Band band, SweepColumns& columns, std::size_t offset)
{
    PartRun run;
    run.active = sweep.Run(
        [&](std::span<const RowValues> rows) {
            // A column at a time: one call fills a quantity's cells of a block's rows.
            for (std::size_t column = 0; column < columns.quantities.size(); ++column)
                columns.quantities[column]->fill(rows, columns.values[column] + offset, kEmpty);
            offset += rows.size();
            for (const RowValues& row : rows)
                run.errorKnown = run.errorKnown || row.direct.mismatchErrorDb
                                 || (row.through && row.through->mismatchErrorDb);
        },
        band);
    return run;
}

ActivePoints Joined(const ActivePoints& lower, const ActivePoints& upper)
{
    return {lower.count + upper.count, lower.count > 0 ? lower.firstFrequencyHz : upper.firstFrequencyHz};
}

// The rows of `band`, the upper half on a second thread where there are enough
// of them to be worth one and the sweep keeps no helper of its own: the rows do
// not depend on each other.
PartRun FillAllColumns(const Sweep& sweep, Band band, SweepColumns& columns)
{
    constexpr std::size_t kRowsForTwoThreads = 4 * Sweep::kBlockRows;
    const std::span<const double> frequencyHz = sweep.Frequencies(band);
    columns.rows = frequencyHz.size();
    // Not filled with zeros first: every cell is written below.
    const std::size_t bytes = std::max<std::size_t>(columns.rows * columns.quantities.size(), 1) * sizeof(double);
    columns.block = std::shared_ptr<double[]>(static_cast<double*>(platform::AllocateArray(bytes)),
                                              [bytes](double* memory) { platform::FreeArray(memory, bytes); });
    for (std::size_t column = 0; column < columns.quantities.size(); ++column)
        columns.values.push_back(columns.block.get() + column * columns.rows);
    if (frequencyHz.size() < kRowsForTwoThreads || sweep.RunsOnTwoThreads(band))
        return FillColumns(sweep, band, columns, 0);
    const std::size_t half = frequencyHz.size() / 2;
    PartRun upper;
    std::exception_ptr failed;
    std::thread helper([&] {
        try {
            upper = FillColumns(sweep, {frequencyHz[half], band.toHz}, columns, half);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    PartRun lower;
    try {
        lower = FillColumns(sweep, {band.fromHz, frequencyHz[half - 1]}, columns, 0);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failed)
        std::rethrow_exception(failed);
    return {{Joined(lower.active.source, upper.active.source), Joined(lower.active.load, upper.active.load)},
            lower.errorKnown || upper.errorKnown};
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
    columns.quantities = SweepQuantities(!bench.chain.empty());
    if (const std::size_t outside = sweep.GridPointsOutside(); outside > 0)
        answer.notes.push_back(sweep.GridName() + ": " + std::to_string(outside) + " of "
                               + std::to_string(sweep.GridPoints()) + " frequencies lie outside the range of "
                               + sweep.OutsideOf() + " and are left out");
    const PartRun run = FillAllColumns(sweep, band, columns);
    if (run.errorKnown)
        answer.notes.push_back("where every phase is measured the mismatch error is known, not spread: its standard "
                               "uncertainty is left empty there");
    NoteActive(answer.notes, bench.source, run.active.source);
    NoteActive(answer.notes, bench.load, run.active.load);
    return answer;
}

py::dict ColumnsDict(SweepAnswer answer)
{
    py::dict result;
    for (std::size_t i = 0; i < answer.columns->quantities.size(); ++i) {
        const SweepColumns& columns = *answer.columns;
        const std::string_view name = columns.quantities[i]->column;
        result[py::str(name.data(), name.size())] =
            OverBlock(columns.block, columns.values[i], static_cast<py::ssize_t>(columns.rows));
    }
    return result;
}

py::dict OneOffDict(const OneOffValues& oneOff, double coverageProbability)
{
    py::dict result;
    for (const auto& [key, value] : measuredtext::OneOffFields(oneOff, coverageProbability))
        result[py::str(key.data(), key.size())] = value ? py::cast(*value) : py::none();
    return result;
}

}  // namespace corvalen::python
