// SPDX-License-Identifier: MIT
#include "sweep.h"

#include "blocks_ahead.h"
#include "quantities.h"

#include "platform/vector_state.h"

#include <algorithm>
#include <complex>
#include <optional>
#include <string>
#include <thread>

namespace corvalen::measured {
namespace {

// About ten seconds of the standard uncertainty through a chain over a sweep's rows.
constexpr double kMostThroughNs = 1e10;

void Count(ActivePoints& points, double gammaMagnitude, double frequencyHz)
{
    if (gammaMagnitude > 1.0 && points.count++ == 0)
        points.firstFrequencyHz = frequencyHz;
}

// "a", "a and b", "a, b and c".
std::string JoinNames(const std::vector<std::string>& names)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i)
        joined.append(i == 0 ? "" : i + 1 == names.size() ? " and " : ", ").append(names[i]);
    return joined;
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

// Each pad's phase averages, made once for every row. From the load: a pad
// behind a measured element or the load meets |Gamma| up to 1 (passive); behind
// another pad, up to what that one can pass on.
std::vector<PadAverages> PadAveragesOf(const std::vector<Through>& chain)
{
    std::vector<PadAverages> averages;
    double reach = 1.0;
    for (auto through = chain.rbegin(); through != chain.rend(); ++through) {
        const auto* pad = std::get_if<Pad>(&through->value);
        if (!pad) {
            reach = 1.0;
            continue;
        }
        const ChainTwoPort twoPort = PadTwoPort(*pad);
        const WalkElement element{twoPort.s22, twoPort.s11, twoPort.s21 * twoPort.s12, false};
        const auto known = std::find_if(averages.begin(), averages.end(), [&](const PadAverages& p) {
            return p.Holds(element) && p.Reach() >= reach;
        });
        reach = known != averages.end() ? known->PassesOn() : averages.emplace_back(element, reach).PassesOn();
    }
    return averages;
}

}  // namespace

// The inputs of consecutive rows: what is measured interpolated to each row's
// frequency, what is fixed set once.
class Sweep::Cursor {
public:
    Cursor(const Sweep& sweep, std::size_t first)
        : sweep_(sweep)
        , sourceAt_(Frequencies(sweep.source_.Measured()), *sweep.grid_, first)
        , loadAt_(Frequencies(sweep.load_.Measured()), *sweep.grid_, first)
    {
        if (const auto* fixed = std::get_if<SideValues>(&sweep.source_.value))
            inputs_.source = *fixed;
        if (const auto* fixed = std::get_if<SideValues>(&sweep.load_.value))
            inputs_.load = *fixed;
        for (const Through& through : sweep.chain_) {
            const TwoPort* file = through.Measured();
            twoPortsAt_.emplace_back(file ? &file->frequencyHz : nullptr, *sweep.grid_, first);
            inputs_.chain.push_back(file ? ChainTwoPort{} : PadTwoPort(std::get<Pad>(through.value)));
        }
    }

    // Row i, the next of the rows.
    const RowInputs& At(std::size_t i)
    {
        const double frequencyHz = (*sweep_.grid_)[i];
        inputs_.frequencyHz = frequencyHz;
        if (const Reflection* from = sweep_.source_.Measured()) {
            sourceAt_.Seek(i, frequencyHz);
            inputs_.sourceGamma = sourceAt_.Value(from->gamma);
            inputs_.source = MeasuredSideValues(*inputs_.sourceGamma);
        }
        if (const Reflection* to = sweep_.load_.Measured()) {
            loadAt_.Seek(i, frequencyHz);
            inputs_.loadGamma = loadAt_.Value(to->gamma);
            inputs_.load = MeasuredSideValues(*inputs_.loadGamma);
        }
        for (std::size_t k = 0; k < twoPortsAt_.size(); ++k) {
            if (const TwoPort* file = sweep_.chain_[k].Measured()) {
                Interpolation& at = twoPortsAt_[k];
                at.Seek(i, frequencyHz);
                inputs_.chain[k] = {at.Value(file->s11), at.Value(file->s21), at.Value(file->s12), at.Value(file->s22), true};
            }
        }
        return inputs_;
    }

private:
    static const Series<double>* Frequencies(const Reflection* measured)
    {
        return measured ? &measured->frequencyHz : nullptr;
    }

    const Sweep& sweep_;
    Interpolation sourceAt_;
    Interpolation loadAt_;
    std::vector<Interpolation> twoPortsAt_;  // one per two-port, unused for a pad
    RowInputs inputs_;
};

Sweep::Sweep(const Bench& bench)
    : source_(bench.source)
    , load_(bench.load)
    , chain_(bench.chain)
{
    const auto file = std::find_if(chain_.begin(), chain_.end(), [](const Through& t) { return t.Measured(); });
    padAverages_ = PadAveragesOf(chain_);
    if (load_.Measured()) {
        grid_ = &load_.Measured()->frequencyHz;
        gridName_ = &load_.name;
    } else if (source_.Measured()) {
        grid_ = &source_.Measured()->frequencyHz;
        gridName_ = &source_.name;
    } else if (file != chain_.end()) {
        grid_ = &file->Measured()->frequencyHz;
        gridName_ = &file->name;
    } else {
        throw MeasuredError(load_.name, 0, "nothing is measured");
    }
    end_ = grid_->size();

    // The grid's points inside the range of each other thing measured.
    std::vector<std::string> outside;
    const auto narrow = [&](const Series<double>& range, const std::string& name) {
        if (&range == grid_)
            return;
        outside.push_back(name);
        outsideOf_ = JoinNames(outside);
        first_ = Bound(*grid_, first_, end_, range.front(), false);
        end_ = std::max(first_, Bound(*grid_, first_, end_, range.back(), true));
        if (first_ == end_)
            throw MeasuredError(*gridName_, 0,
                                "no frequency inside the range of " + outsideOf_ + " (" + FrequencyText(range.front())
                                    + " Hz to " + FrequencyText(range.back()) + " Hz)");
    };
    if (source_.Measured())
        narrow(source_.Measured()->frequencyHz, source_.name);
    for (const Through& through : chain_)
        if (const TwoPort* twoPort = through.Measured())
            narrow(twoPort->frequencyHz, through.name);
    // The first row's cost stands for every row's: the magnitudes that set it vary little.
    if (!chain_.empty()) {
        Cursor cursor(*this, first_);
        const RowInputs& inputs = cursor.At(first_);
        const double rowNs = MismatchOf(inputs, inputs.chain, padAverages_).StandardUncertaintyWorkNs();
        throughUncertaintyBeyondReach_ = rowNs * static_cast<double>(RowCount()) > kMostThroughNs;
        const bool somePhaseUnknown = !source_.Measured() || !load_.Measured()
                                      || std::any_of(chain_.begin(), chain_.end(), [](const Through& t) { return !t.Measured(); });
        throughUncertainty_ = somePhaseUnknown && !throughUncertaintyBeyondReach_;
    }
}

std::pair<std::size_t, std::size_t> Sweep::RowsIn(Band band) const
{
    const std::size_t first = Bound(*grid_, first_, end_, band.fromHz, false);
    return {first, std::max(first, Bound(*grid_, first, end_, band.toHz, true))};
}

std::span<const double> Sweep::Frequencies(Band band) const
{
    const auto [first, end] = RowsIn(band);
    return std::span<const double>(*grid_).subspan(first, end - first);
}

bool Sweep::RunsOnTwoThreads(Band band, bool withStandardUncertainty) const
{
    const auto [first, end] = RowsIn(band);
    return withStandardUncertainty && throughUncertainty_ && end - first > kBlockRows
           && std::thread::hardware_concurrency() > 1;
}

ActiveSides Sweep::Run(const std::function<void(std::span<const RowValues>)>& take, Band band,
                       bool withStandardUncertainty) const
{
    platform::ReleaseUpperVectors();
    const auto [first, end] = RowsIn(band);
    ActiveSides active;
    const auto handOn = [&](std::span<const RowValues> rows) {
        for (const RowValues& row : rows) {
            Count(active.source, row.source.gammaMagnitude, row.frequencyHz);
            Count(active.load, row.load.gammaMagnitude, row.frequencyHz);
        }
        take(rows);
    };
    // The standard uncertainty through a chain is most of a row's cost where it is
    // computed: there a helper thread fills blocks beside this one, where there is more
    // than one. Without it (directly it is one closed form) a helper costs more
    // processor time than it saves.
    if (RunsOnTwoThreads(band, withStandardUncertainty)) {
        BlocksAhead blocks(end - first, kBlockRows, [&](std::size_t row, std::span<RowValues> rows) {
            Fill(first + row, rows, withStandardUncertainty);
        });
        for (std::size_t k = 0; k < blocks.Blocks(); ++k) {
            handOn(blocks.Next(k));
            blocks.HandedOn(k);
        }
        return active;
    }
    // One block serves the whole run, so its memory is touched once.
    std::vector<RowValues> block(std::min(kBlockRows, end - first));
    for (std::size_t at = first; at < end; at += kBlockRows) {
        const std::span<RowValues> rows(block.data(), std::min(kBlockRows, end - at));
        Fill(at, rows, withStandardUncertainty);
        handOn(rows);
    }
    return active;
}

std::vector<RowValues> Sweep::Rows(Band band) const
{
    std::vector<RowValues> rows;
    Run([&rows](std::span<const RowValues> block) { rows.insert(rows.end(), block.begin(), block.end()); }, band);
    return rows;
}

RowInputs Sweep::InputsAt(double frequencyHz) const
{
    const std::size_t i = Bound(*grid_, first_, end_, frequencyHz, false);
    Cursor cursor(*this, i);
    return cursor.At(i);
}

void Sweep::Fill(std::size_t first, std::span<RowValues> rows, bool withStandardUncertainty) const
{
    Cursor cursor(*this, first);
    // Between two fixed sides the pair's values and the direct ones are the same on
    // every row but for the frequency.
    const bool directVaries = source_.Measured() || load_.Measured();
    std::optional<RowValues> direct;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const RowInputs& inputs = cursor.At(first + k);
        if (directVaries || !direct) {
            direct = ComputePair(inputs);
            direct->direct = ComputeMismatch(inputs, {}, withStandardUncertainty);
        }
        RowValues& row = rows[k] = *direct;
        row.frequencyHz = inputs.frequencyHz;
        if (!inputs.chain.empty())
            row.through = ComputeMismatch(inputs, inputs.chain,
                                          withStandardUncertainty && !throughUncertaintyBeyondReach_, padAverages_);
    }
}

}  // namespace corvalen::measured
