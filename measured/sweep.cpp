// SPDX-License-Identifier: MIT
#include "sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

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
    const double magnitude = std::isinf(vswr) ? 1.0 : (vswr - 1.0) / (vswr + 1.0);
    return {vswr, -20.0 * std::log10(magnitude), magnitude};
}

SideValues GammaSideValues(double gammaMagnitude)
{
    const double vswr = gammaMagnitude < 1.0 ? (1.0 + gammaMagnitude) / (1.0 - gammaMagnitude) : kInfinity;
    return {vswr, -20.0 * std::log10(gammaMagnitude), gammaMagnitude};
}

SideValues ReturnLossSideValues(double returnLossDb)
{
    SideValues values = GammaSideValues(std::pow(10.0, -returnLossDb / 20.0));
    values.returnLossDb = returnLossDb;
    return values;
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
    row.standardUncertaintyDb = StandardUncertaintyDb(product);
    return row;
}

Sweep::Sweep(const Side& source, const Side& load, const Through* through)
    : source_(source)
    , load_(load)
    , through_(through)
{
    const TwoPort* twoPort = through ? through->Measured() : nullptr;
    if (load.Measured()) {
        grid_ = &load.Measured()->frequencyHz;
        gridName_ = &load.name;
    } else if (source.Measured()) {
        grid_ = &source.Measured()->frequencyHz;
        gridName_ = &source.name;
    } else if (twoPort) {
        grid_ = &twoPort->frequencyHz;
        gridName_ = &through->name;
    } else {
        throw MeasuredError(load.name, 0, "nothing is measured");
    }
    end_ = grid_->size();

    // The grid's points inside the range of each other thing measured.
    std::string others;
    const auto narrow = [&](const Series<double>& range, const std::string& name) {
        if (&range == grid_)
            return;
        others.append(others.empty() ? "" : " and ").append(name);
        const auto begin = grid_->begin();
        first_ = static_cast<std::size_t>(std::lower_bound(begin + static_cast<std::ptrdiff_t>(first_),
                                                           begin + static_cast<std::ptrdiff_t>(end_), range.front())
                                          - begin);
        end_ = std::max(first_, static_cast<std::size_t>(std::upper_bound(begin + static_cast<std::ptrdiff_t>(first_),
                                                                          begin + static_cast<std::ptrdiff_t>(end_),
                                                                          range.back())
                                                         - begin));
        if (first_ == end_)
            throw MeasuredError(*gridName_, 0,
                                "no frequency inside the range of " + others + " (" + FrequencyText(range.front())
                                    + " Hz to " + FrequencyText(range.back()) + " Hz)");
    };
    if (source.Measured())
        narrow(source.Measured()->frequencyHz, source.name);
    if (twoPort)
        narrow(twoPort->frequencyHz, through->name);
    outsideOf_ = others;
}

void Sweep::Merge(const Counts& block)
{
    Add(sourceActive_, block.source);
    Add(loadActive_, block.load);
}

namespace {

// Values of a series measured on its own frequencies, at the ascending
// frequencies of the rows: the point itself where the two meet, else
// interpolated linearly in real and imaginary parts.
class Interpolation {
public:
    Interpolation(const Series<double>* hz, const Series<double>& grid, std::size_t first)
        : hz_(hz)
        , onGrid_(hz == &grid)
    {
        if (hz_ && !onGrid_ && first < grid.size())
            upper_ = static_cast<std::size_t>(std::lower_bound(hz_->begin(), hz_->end(), grid[first]) - hz_->begin());
    }

    // Moves to row i at frequencyHz, the next of the rows.
    void Seek(std::size_t i, double frequencyHz)
    {
        if (onGrid_) {
            upper_ = i;
            return;
        }
        while ((*hz_)[upper_] < frequencyHz)
            ++upper_;
        exact_ = (*hz_)[upper_] == frequencyHz;
        if (!exact_)
            t_ = (frequencyHz - (*hz_)[upper_ - 1]) / ((*hz_)[upper_] - (*hz_)[upper_ - 1]);
    }

    std::complex<double> Value(const Series<std::complex<double>>& values) const
    {
        if (onGrid_ || exact_)
            return values[upper_];
        return values[upper_ - 1] + t_ * (values[upper_] - values[upper_ - 1]);
    }

private:
    const Series<double>* hz_;
    bool onGrid_;
    bool exact_ = true;
    std::size_t upper_ = 0;  // the first point at or above the row's frequency
    double t_ = 0.0;
};

}  // namespace

void Sweep::ForRows(std::size_t firstRow, std::size_t endRow, Counts& counts,
                    const std::function<void(const RowValues&)>& row) const
{
    const std::size_t first = first_ + firstRow;
    const std::size_t end = first_ + std::min(endRow, Rows());
    const Series<double>& grid = *grid_;
    const auto* fixedSource = std::get_if<SideValues>(&source_.value);
    const auto* fixedLoad = std::get_if<SideValues>(&load_.value);
    const Reflection* from = source_.Measured();
    const Reflection* to = load_.Measured();
    const TwoPort* twoPort = through_ ? through_->Measured() : nullptr;
    const auto* pad = through_ ? std::get_if<Pad>(&through_->value) : nullptr;
    const TwoPortPoint padPoint = pad ? PadPoint(*pad) : TwoPortPoint{};

    Interpolation sourceAt(from ? &from->frequencyHz : nullptr, grid, first);
    Interpolation loadAt(to ? &to->frequencyHz : nullptr, grid, first);
    Interpolation twoPortAt(twoPort ? &twoPort->frequencyHz : nullptr, grid, first);
    for (std::size_t i = first; i < end; ++i) {
        const double frequencyHz = grid[i];
        std::optional<std::complex<double>> sourceGamma;
        std::optional<std::complex<double>> loadGamma;
        if (to) {
            loadAt.Seek(i, frequencyHz);
            loadGamma = loadAt.Value(to->gamma);
        }
        if (from) {
            sourceAt.Seek(i, frequencyHz);
            sourceGamma = sourceAt.Value(from->gamma);
        }
        RowValues values = ComputeRow(frequencyHz, fixedSource ? *fixedSource : MeasuredSideValues(*sourceGamma),
                                      fixedLoad ? *fixedLoad : MeasuredSideValues(*loadGamma), sourceGamma, loadGamma);
        if (twoPort) {
            twoPortAt.Seek(i, frequencyHz);
            const TwoPortPoint point{twoPortAt.Value(twoPort->s11), twoPortAt.Value(twoPort->s21),
                                     twoPortAt.Value(twoPort->s12), twoPortAt.Value(twoPort->s22), true};
            values.through = ComputeThrough(values.source.gammaMagnitude, values.load.gammaMagnitude, sourceGamma,
                                            loadGamma, point);
        } else if (pad) {
            values.through = ComputeThrough(values.source.gammaMagnitude, values.load.gammaMagnitude, sourceGamma,
                                            loadGamma, padPoint);
        }
        Count(counts.source, values.source.gammaMagnitude, frequencyHz);
        Count(counts.load, values.load.gammaMagnitude, frequencyHz);
        row(values);
    }
}

}  // namespace corvalen::measured
