// SPDX-License-Identifier: MIT
#include "bench_result.h"

#include "measuredtext/sweep_table.h"
#include "measuredtext/verdict.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace corvalen::sweepwindow {
namespace {

using namespace corvalen::measured;

// A side's measured points inside the band (none for a fixed value).
struct BandPoints {
    std::span<const double> frequencyHz;
    std::span<const std::complex<double>> gamma;
};

BandPoints InBand(const Side& side, Band band)
{
    const Reflection* measured = side.Measured();
    if (!measured)
        return {};
    const auto& hz = measured->frequencyHz;
    const auto first = std::lower_bound(hz.begin(), hz.end(), band.fromHz);
    const auto end = std::upper_bound(first, hz.end(), band.toHz);
    const auto offset = static_cast<std::size_t>(first - hz.begin());
    return {std::span<const double>(first, end),
            std::span<const std::complex<double>>(measured->gamma).subspan(offset, static_cast<std::size_t>(end - first))};
}

// The index of the measured point nearest to a frequency.
std::optional<std::size_t> Nearest(std::span<const double> frequencyHz, double at)
{
    if (frequencyHz.empty())
        return std::nullopt;
    const auto above = std::lower_bound(frequencyHz.begin(), frequencyHz.end(), at);
    if (above == frequencyHz.begin())
        return 0;
    if (above == frequencyHz.end())
        return frequencyHz.size() - 1;
    const auto below = above - 1;
    return static_cast<std::size_t>((at - *below <= *above - at ? below : above) - frequencyHz.begin());
}

std::optional<std::complex<double>> PointAt(const BandPoints& points, double frequencyHz, bool conjugate)
{
    const auto index = Nearest(points.frequencyHz, frequencyHz);
    if (!index)
        return std::nullopt;
    return conjugate ? std::conj(points.gamma[*index]) : points.gamma[*index];
}

template <typename Frequencies>
Extent ExtentOfSeries(const Frequencies& frequencyHz, const std::vector<double>& portOhms)
{
    return {frequencyHz.size(), frequencyHz.front(), frequencyHz.back(), portOhms};
}

}  // namespace

MeasuredSweep::MeasuredSweep(measured::Bench bench)
    : bench_(std::make_unique<measured::Bench>(std::move(bench)))
{
    sweep_.emplace(*bench_);
    SetBand({});
}

bool MeasuredSweep::SetBand(Band band)
{
    // The window asks again for the band it has (the whole sweep, as read): the same answer.
    if (!rowsHz_.empty() && band.fromHz == band_.fromHz && band.toHz == band_.toHz)
        return true;
    const std::span<const double> rowsHz = sweep_->Frequencies(band);
    if (rowsHz.empty())
        return false;
    band_ = band;
    rowsHz_ = rowsHz;
    worst_ = FindWorstCase(*sweep_, band);
    return true;
}

measuredtext::PlotSeries MeasuredSweep::Series() const
{
    measuredtext::PlotSeries series;
    // Sized once: grown step by step, a million rows would hold half as many again.
    std::vector<std::vector<double>*> columns{&series.frequencyHz, &series.plusDb, &series.minusDb, &series.errorDb,
                                              &series.mismatchLossDb};
    if (WithTwoPort())
        columns.insert(columns.end(), {&series.throughPlusDb, &series.throughMinusDb, &series.throughErrorDb});
    for (std::vector<double>* column : columns)
        column->reserve(RowCount());
    sweep_->Run(
        [&series](std::span<const RowValues> rows) {
            for (const RowValues& row : rows)
                series.Append(row);
        },
        band_, false);
    return series;
}

measuredtext::SmithSeries MeasuredSweep::LoadPoints() const
{
    return measuredtext::SmithSeriesOf(bench_->load, measuredtext::SmithSide::Load, band_);
}

measuredtext::SmithSeries MeasuredSweep::SourceConjugatePoints() const
{
    return measuredtext::SmithSeriesOf(bench_->source, measuredtext::SmithSide::SourceConjugate, band_);
}

std::string MeasuredSweep::Notes() const
{
    std::string notes;
    if (const std::size_t outside = sweep_->GridPointsOutside(); outside > 0)
        notes += sweep_->GridName() + ": " + std::to_string(outside) + " of " + std::to_string(sweep_->GridPoints())
                 + " frequencies lie outside the range of " + sweep_->OutsideOf() + " and are left out\n";
    for (const auto& [side, points] : {std::pair{&bench_->source, worst_.active.source}, std::pair{&bench_->load, worst_.active.load}})
        if (points.count > 0)
            notes += side->name + ": |G| above 1 at " + std::to_string(points.count)
                     + (points.count == 1 ? " frequency" : " frequencies") + ", the first at "
                     + FrequencyText(points.firstFrequencyHz)
                     + " Hz; VSWR, mismatch loss and limits without a value there read inf or -inf\n";
    if (!notes.empty())
        notes.pop_back();
    return notes;
}

std::size_t MeasuredSweep::RowNear(double frequencyHz) const
{
    return Nearest(rowsHz_, frequencyHz).value_or(0);
}

std::size_t MeasuredSweep::TenthAway(std::size_t row, bool up) const
{
    const std::span<const double> hz = rowsHz_;
    const double step = (hz.back() - hz.front()) / 10.0;
    const std::size_t near = RowNear(hz[row] + (up ? step : -step));
    if (near != row)
        return near;
    return up ? std::min(row + 1, hz.size() - 1) : (row > 0 ? row - 1 : 0);
}

std::size_t MeasuredSweep::RowNearestOnSmith(std::complex<double> gamma) const
{
    double nearestHz = rowsHz_.front();
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const auto& [side, conjugate] : {std::pair{&bench_->load, false}, std::pair{&bench_->source, true}}) {
        const BandPoints points = InBand(*side, band_);
        for (std::size_t i = 0; i < points.gamma.size(); ++i) {
            const double distance = std::norm((conjugate ? std::conj(points.gamma[i]) : points.gamma[i]) - gamma);
            if (distance < nearestDistance) {
                nearestDistance = distance;
                nearestHz = points.frequencyHz[i];
            }
        }
    }
    return RowNear(nearestHz);
}

RowValues MeasuredSweep::RowAt(std::size_t row) const
{
    const double hz = FrequencyAt(row);
    return sweep_->Rows({hz, hz}).front();
}

std::optional<std::complex<double>> MeasuredSweep::LoadAt(std::size_t row) const
{
    return PointAt(InBand(bench_->load, band_), FrequencyAt(row), false);
}

std::optional<std::complex<double>> MeasuredSweep::SourceConjugateAt(std::size_t row) const
{
    return PointAt(InBand(bench_->source, band_), FrequencyAt(row), true);
}

void MeasuredSweep::WriteTable(char separator, const std::function<void(std::string_view)>& sink) const
{
    sink(measuredtext::SweepHeader(WithTwoPort(), separator));
    std::string text;
    text.reserve(Sweep::kBlockRows * measuredtext::SweepRowBytes(WithTwoPort()));
    sweep_->Run(
        [&](std::span<const RowValues> rows) {
            text.clear();
            for (const RowValues& row : rows)
                measuredtext::AppendSweepRow(text, row, separator);
            sink(text);
        },
        band_);
}

namespace {

// Reads one input with `read`; its failure, if any, goes to `into`.
template <typename Read>
void ReadInput(InputRead& into, Read&& read)
{
    try {
        read();
    } catch (const MeasuredError& error) {
        into.failure = error.Located();
    } catch (const std::bad_alloc&) {
        into.failure = "not enough memory to read this file";
    }
}

}  // namespace

bool ReadOutcome::Failed() const
{
    const auto failed = [](const InputRead& read) { return !read.failure.empty(); };
    return failed(source) || failed(load) || std::any_of(chain.begin(), chain.end(), failed);
}

ReadOutcome ReadSweep(const BenchInput& input, touchstone::ReadProgress* progress)
{
    ReadOutcome outcome;
    Bench bench;
    try {
        for (const auto& [side, into, read] : {std::tuple{&input.source, &bench.source, &outcome.source},
                                               std::tuple{&input.load, &bench.load, &outcome.load}})
            ReadInput(*read, [&] {
                *into = ReadSide(*side, input.systemOhms, progress);
                read->extent = ExtentOf(*into);
            });
        outcome.chain.resize(input.chain.size());
        for (std::size_t i = 0; i < input.chain.size(); ++i)
            ReadInput(outcome.chain[i], [&] {
                bench.chain.push_back(ReadThrough(input.chain[i], input.systemOhms, progress));
                outcome.chain[i].extent = ExtentOf(bench.chain.back());
            });
    } catch (const touchstone::ReadCancelled&) {
        return {};
    }
    // The rows take a while for large files too: a read cancelled meanwhile computes none.
    if (outcome.Failed() || (progress && progress->cancelled.load()))
        return outcome;
    // Files that read well may still have no frequency in common: the grid's file says so.
    std::vector<InputRead*> reads{&outcome.source, &outcome.load};
    std::vector<std::string> names{bench.source.name, bench.load.name};
    for (std::size_t i = 0; i < bench.chain.size(); ++i) {
        reads.push_back(&outcome.chain[i]);
        names.push_back(bench.chain[i].name);
    }
    InputRead failed;
    ReadInput(failed, [&] { outcome.sweep = std::make_unique<MeasuredSweep>(std::move(bench)); });
    if (!failed.failure.empty()) {
        std::size_t at = 0;
        while (at < names.size() && !failed.failure.starts_with(names[at] + ":"))
            ++at;
        reads[at < names.size() ? at : 1]->failure = failed.failure;  // the load, unless another is named
    }
    return outcome;
}

std::optional<Extent> ExtentOf(const Side& side)
{
    if (const Reflection* measured = side.Measured())
        return ExtentOfSeries(measured->frequencyHz, measured->portOhms);
    return std::nullopt;
}

std::optional<Extent> ExtentOf(const Through& through)
{
    if (const TwoPort* measured = through.Measured())
        return ExtentOfSeries(measured->frequencyHz, measured->portOhms);
    return std::nullopt;
}

OneOff ComputeOneOffResult(const BenchInput& input)
{
    OneOff result{ComputeOneOff(input, kCoverageProbability), {}};
    if (!input.chain.empty()) {
        result.verdict = measuredtext::Verdict(result.values.pair, measuredtext::ChainSubject(input.chain.size()));
        result.verdict.pop_back();
    }
    return result;
}

}  // namespace corvalen::sweepwindow
