// SPDX-License-Identifier: MIT
#include "sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvalen::measured {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct Range {
    std::size_t first = 0;
    std::size_t end = 0;
};

// The grid that gives the rows, and which of its points lie inside the other
// side's frequency range.
const Side& GridSide(const Side& source, const Side& load)
{
    return load.fixedVswr ? source : load;
}

Range RowRange(const Side& source, const Side& load)
{
    const auto& grid = GridSide(source, load).measured.frequencyHz;
    if (source.fixedVswr || load.fixedVswr)
        return {0, grid.size()};
    const auto& from = source.measured.frequencyHz;
    const auto first = std::lower_bound(grid.begin(), grid.end(), from.front());
    const auto end = std::upper_bound(first, grid.end(), from.back());
    return {static_cast<std::size_t>(first - grid.begin()), static_cast<std::size_t>(end - grid.begin())};
}

void Count(ActivePoints& points, double gammaMagnitude, double frequencyHz)
{
    if (gammaMagnitude > 1.0 && points.count++ == 0)
        points.firstFrequencyHz = frequencyHz;
}

}  // namespace

SideValues MeasuredSideValues(std::complex<double> gamma)
{
    // Reflections are near 1 at most, far from where std::abs's care against
    // overflow (hypot, a tenth of the sweep's time) matters.
    const double magnitude = std::sqrt(std::norm(gamma));
    const double vswr = magnitude < 1.0 ? (1.0 + magnitude) / (1.0 - magnitude) : kInfinity;
    return {vswr, -20.0 * std::log10(magnitude), magnitude};
}

SideValues FixedSideValues(double vswr)
{
    const double magnitude = (vswr - 1.0) / (vswr + 1.0);
    return {vswr, -20.0 * std::log10(magnitude), magnitude};
}

RowValues ComputeRow(double frequencyHz, const SideValues& source, const SideValues& load,
                     std::optional<std::complex<double>> sourceGamma, std::optional<std::complex<double>> loadGamma)
{
    RowValues row{};
    row.frequencyHz = frequencyHz;
    row.source = source;
    row.load = load;
    const double transmitted = 1.0 - load.gammaMagnitude * load.gammaMagnitude;
    row.loadMismatchLossDb = transmitted > 0.0 ? -10.0 * std::log10(transmitted) : kInfinity;
    row.maxVswr = source.vswr * load.vswr;
    // As the window does: the return loss of a single reflection with the worst-case VSWR.
    row.combinedReturnLossDb =
        std::isinf(row.maxVswr) ? 0.0 : -20.0 * std::log10((row.maxVswr - 1.0) / (row.maxVswr + 1.0));
    const double product = source.gammaMagnitude * load.gammaMagnitude;
    row.plusUncertaintyDb = 20.0 * std::log10(1.0 + product);
    row.minusUncertaintyDb = product < 1.0 ? 20.0 * std::log10(1.0 - product) : -kInfinity;
    if (sourceGamma && loadGamma)
        row.mismatchErrorDb = 10.0 * std::log10(std::norm(1.0 - *sourceGamma * *loadGamma));
    return row;
}

SweepSummary PlanSweep(const Side& source, const Side& load)
{
    if (source.fixedVswr && load.fixedVswr)
        throw MeasuredError(load.name, 0, "at least one side must be a Touchstone file");
    const Range range = RowRange(source, load);
    if (range.first == range.end) {
        const auto& from = source.measured.frequencyHz;
        throw MeasuredError(load.name, 0,
                            "no frequency inside the range of " + source.name + " (" + FrequencyText(from.front())
                                + " Hz to " + FrequencyText(from.back()) + " Hz)");
    }
    SweepSummary summary;
    summary.rows = range.end - range.first;
    summary.loadPointsOutside = GridSide(source, load).measured.frequencyHz.size() - summary.rows;
    return summary;
}

void NoteActivePoints(SweepSummary& summary, const RowValues& row)
{
    Count(summary.source, row.source.gammaMagnitude, row.frequencyHz);
    Count(summary.load, row.load.gammaMagnitude, row.frequencyHz);
}

void RunSweep(const Side& source, const Side& load, std::size_t firstRow, std::size_t endRow,
              const std::function<void(const RowValues&)>& row)
{
    const Range all = RowRange(source, load);
    const Range range{all.first + firstRow, all.first + std::min(endRow, all.end - all.first)};
    const auto& grid = GridSide(source, load).measured;
    const std::optional<SideValues> fixedSource =
        source.fixedVswr ? std::optional(FixedSideValues(*source.fixedVswr)) : std::nullopt;
    const std::optional<SideValues> fixedLoad =
        load.fixedVswr ? std::optional(FixedSideValues(*load.fixedVswr)) : std::nullopt;

    const auto& from = source.measured;
    // The first source point at or above the current frequency.
    std::size_t upper = range.first < range.end && !source.fixedVswr && !load.fixedVswr
                            ? static_cast<std::size_t>(std::lower_bound(from.frequencyHz.begin(), from.frequencyHz.end(),
                                                                        grid.frequencyHz[range.first])
                                                       - from.frequencyHz.begin())
                            : 0;
    for (std::size_t i = range.first; i < range.end; ++i) {
        const double frequencyHz = grid.frequencyHz[i];
        std::optional<std::complex<double>> sourceGamma;
        std::optional<std::complex<double>> loadGamma;
        if (!load.fixedVswr)
            loadGamma = load.measured.gamma[i];
        if (!source.fixedVswr) {
            if (load.fixedVswr) {
                sourceGamma = from.gamma[i];
            } else {
                while (from.frequencyHz[upper] < frequencyHz)
                    ++upper;
                if (from.frequencyHz[upper] == frequencyHz) {
                    sourceGamma = from.gamma[upper];
                } else {
                    const double t = (frequencyHz - from.frequencyHz[upper - 1])
                                     / (from.frequencyHz[upper] - from.frequencyHz[upper - 1]);
                    sourceGamma = from.gamma[upper - 1] + t * (from.gamma[upper] - from.gamma[upper - 1]);
                }
            }
        }
        row(ComputeRow(frequencyHz, fixedSource ? *fixedSource : MeasuredSideValues(*sourceGamma),
                       fixedLoad ? *fixedLoad : MeasuredSideValues(*loadGamma), sourceGamma, loadGamma));
    }
}

}  // namespace corvalen::measured
