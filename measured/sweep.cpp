// SPDX-License-Identifier: MIT
#include "sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvalen::measured {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

void Count(ActivePoints& points, double gammaMagnitude, double frequencyHz)
{
    if (gammaMagnitude > 1.0 && points.count++ == 0)
        points.firstFrequencyHz = frequencyHz;
}

// Counts a later block's points into the sweep's, keeping the first frequency.
void Add(ActivePoints& sweep, const ActivePoints& block)
{
    if (sweep.count == 0)
        sweep.firstFrequencyHz = block.firstFrequencyHz;
    sweep.count += block.count;
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

Sweep::Sweep(const Side& source, const Side& load)
    : source_(source)
    , load_(load)
{
    const Reflection* from = source.Measured();
    const Reflection* grid = Grid().Measured();
    if (!grid)
        throw MeasuredError(load.name, 0, "at least one side must be a Touchstone file");
    end_ = grid->frequencyHz.size();
    if (from && load.Measured()) {
        const auto& at = grid->frequencyHz;
        const auto first = std::lower_bound(at.begin(), at.end(), from->frequencyHz.front());
        first_ = static_cast<std::size_t>(first - at.begin());
        end_ = static_cast<std::size_t>(std::upper_bound(first, at.end(), from->frequencyHz.back()) - at.begin());
        if (first_ == end_)
            throw MeasuredError(load.name, 0,
                                "no frequency inside the range of " + source.name + " ("
                                    + FrequencyText(from->frequencyHz.front()) + " Hz to "
                                    + FrequencyText(from->frequencyHz.back()) + " Hz)");
    }
}

const Side& Sweep::Grid() const
{
    return load_.Measured() ? load_ : source_;
}

std::size_t Sweep::GridPointsOutside() const
{
    return Grid().Measured()->frequencyHz.size() - Rows();
}

void Sweep::Merge(const Counts& block)
{
    Add(sourceActive_, block.source);
    Add(loadActive_, block.load);
}

void Sweep::ForRows(std::size_t firstRow, std::size_t endRow, Counts& counts,
                    const std::function<void(const RowValues&)>& row) const
{
    const std::size_t first = first_ + firstRow;
    const std::size_t end = first_ + std::min(endRow, Rows());
    const Reflection& grid = *Grid().Measured();
    const auto* fixedSource = std::get_if<SideValues>(&source_.value);
    const auto* fixedLoad = std::get_if<SideValues>(&load_.value);
    const Reflection* from = source_.Measured();
    const Reflection* to = load_.Measured();

    // The first source point at or above the current frequency.
    std::size_t upper = first < end && from && to
                            ? static_cast<std::size_t>(std::lower_bound(from->frequencyHz.begin(),
                                                                        from->frequencyHz.end(), grid.frequencyHz[first])
                                                       - from->frequencyHz.begin())
                            : 0;
    for (std::size_t i = first; i < end; ++i) {
        const double frequencyHz = grid.frequencyHz[i];
        std::optional<std::complex<double>> sourceGamma;
        std::optional<std::complex<double>> loadGamma;
        if (to)
            loadGamma = to->gamma[i];
        if (from) {
            if (!to) {
                sourceGamma = from->gamma[i];
            } else {
                while (from->frequencyHz[upper] < frequencyHz)
                    ++upper;
                if (from->frequencyHz[upper] == frequencyHz) {
                    sourceGamma = from->gamma[upper];
                } else {
                    const double t = (frequencyHz - from->frequencyHz[upper - 1])
                                     / (from->frequencyHz[upper] - from->frequencyHz[upper - 1]);
                    sourceGamma = from->gamma[upper - 1] + t * (from->gamma[upper] - from->gamma[upper - 1]);
                }
            }
        }
        const RowValues values = ComputeRow(frequencyHz, fixedSource ? *fixedSource : MeasuredSideValues(*sourceGamma),
                                            fixedLoad ? *fixedLoad : MeasuredSideValues(*loadGamma), sourceGamma,
                                            loadGamma);
        Count(counts.source, values.source.gammaMagnitude, frequencyHz);
        Count(counts.load, values.load.gammaMagnitude, frequencyHz);
        row(values);
    }
}

}  // namespace corvalen::measured
