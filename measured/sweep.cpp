// SPDX-License-Identifier: MIT
#include "sweep.h"

#include "quantities.h"

#include <algorithm>
#include <complex>
#include <optional>
#include <string>

namespace corvalen::measured {
namespace {

void Count(ActivePoints& points, double gammaMagnitude, double frequencyHz)
{
    if (gammaMagnitude > 1.0 && points.count++ == 0)
        points.firstFrequencyHz = frequencyHz;
}

// The first of the grid's points [first, end) at or above `hz` (upper: above).
std::size_t Bound(const Series<double>& grid, std::size_t first, std::size_t end, double hz, bool upper)
{
    const auto begin = grid.begin() + static_cast<std::ptrdiff_t>(first);
    const auto stop = grid.begin() + static_cast<std::ptrdiff_t>(end);
    return static_cast<std::size_t>((upper ? std::upper_bound(begin, stop, hz) : std::lower_bound(begin, stop, hz))
                                    - grid.begin());
}

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

Sweep::Sweep(const Bench& bench)
    : source_(bench.source)
    , load_(bench.load)
    , through_(bench.chain.empty() ? nullptr : &bench.chain.front())
{
    if (bench.chain.size() > 1)
        throw MeasuredError(bench.chain[1].name, 0, "only one two-port can stand between source and load");
    const TwoPort* twoPort = through_ ? through_->Measured() : nullptr;
    if (load_.Measured()) {
        grid_ = &load_.Measured()->frequencyHz;
        gridName_ = &load_.name;
    } else if (source_.Measured()) {
        grid_ = &source_.Measured()->frequencyHz;
        gridName_ = &source_.name;
    } else if (twoPort) {
        grid_ = &twoPort->frequencyHz;
        gridName_ = &through_->name;
    } else {
        throw MeasuredError(load_.name, 0, "nothing is measured");
    }
    end_ = grid_->size();

    // The grid's points inside the range of each other thing measured.
    const auto narrow = [&](const Series<double>& range, const std::string& name) {
        if (&range == grid_)
            return;
        outsideOf_.append(outsideOf_.empty() ? "" : " and ").append(name);
        first_ = Bound(*grid_, first_, end_, range.front(), false);
        end_ = std::max(first_, Bound(*grid_, first_, end_, range.back(), true));
        if (first_ == end_)
            throw MeasuredError(*gridName_, 0,
                                "no frequency inside the range of " + outsideOf_ + " (" + FrequencyText(range.front())
                                    + " Hz to " + FrequencyText(range.back()) + " Hz)");
    };
    if (source_.Measured())
        narrow(source_.Measured()->frequencyHz, source_.name);
    if (twoPort)
        narrow(twoPort->frequencyHz, through_->name);
}

ActiveSides Sweep::Run(const std::function<void(std::span<const RowValues>)>& take, Band band) const
{
    const std::size_t first = Bound(*grid_, first_, end_, band.fromHz, false);
    const std::size_t end = std::max(first, Bound(*grid_, first, end_, band.toHz, true));
    // One block serves the whole run, so its memory is touched once.
    std::vector<RowValues> block(std::min(kBlockRows, end - first));
    ActiveSides active;
    for (std::size_t at = first; at < end; at += kBlockRows) {
        const std::span<RowValues> rows(block.data(), std::min(kBlockRows, end - at));
        Fill(at, rows);
        for (const RowValues& row : rows) {
            Count(active.source, row.source.gammaMagnitude, row.frequencyHz);
            Count(active.load, row.load.gammaMagnitude, row.frequencyHz);
        }
        take(rows);
    }
    return active;
}

std::vector<RowValues> Sweep::Rows(Band band) const
{
    std::vector<RowValues> rows;
    Run([&rows](std::span<const RowValues> block) { rows.insert(rows.end(), block.begin(), block.end()); }, band);
    return rows;
}

void Sweep::Fill(std::size_t first, std::span<RowValues> rows) const
{
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
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::size_t i = first + k;
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
        RowValues& row = rows[k];
        row = ComputeRow(frequencyHz, fixedSource ? *fixedSource : MeasuredSideValues(*sourceGamma),
                         fixedLoad ? *fixedLoad : MeasuredSideValues(*loadGamma), sourceGamma, loadGamma);
        if (twoPort) {
            twoPortAt.Seek(i, frequencyHz);
            const TwoPortPoint point{twoPortAt.Value(twoPort->s11), twoPortAt.Value(twoPort->s21),
                                     twoPortAt.Value(twoPort->s12), twoPortAt.Value(twoPort->s22), true};
            row.through = ComputeThrough(row.source.gammaMagnitude, row.load.gammaMagnitude, sourceGamma, loadGamma,
                                         point);
        } else if (pad) {
            row.through = ComputeThrough(row.source.gammaMagnitude, row.load.gammaMagnitude, sourceGamma, loadGamma,
                                         padPoint);
        }
    }
}

}  // namespace corvalen::measured
