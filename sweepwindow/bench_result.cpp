// SPDX-License-Identifier: MIT
#include "bench_result.h"

#include "cli/mismatch_command.h"
#include "cli/sweep_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace corvalen::sweepwindow {
namespace {

// The probability of the coverage interval, as `corvalen-cli mismatch` gives it by default.
constexpr double kCoverageProbability = 0.95;

using namespace corvalen::measured;

SmithPoints PointsOf(const Side& side, bool conjugate, Band band)
{
    SmithPoints points;
    if (const Reflection* measured = side.Measured()) {
        for (std::size_t i = 0; i < measured->frequencyHz.size(); ++i) {
            const double hz = measured->frequencyHz[i];
            if (hz < band.fromHz || hz > band.toHz)
                continue;
            points.frequencyHz.push_back(hz);
            points.real.push_back(measured->gamma[i].real());
            points.imaginary.push_back(conjugate ? -measured->gamma[i].imag() : measured->gamma[i].imag());
        }
    }
    return points;
}

// The index of the measured point nearest to a frequency.
std::optional<std::size_t> Nearest(const std::vector<double>& frequencyHz, double at)
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

std::optional<std::complex<double>> PointAt(const SmithPoints& points, double frequencyHz)
{
    const auto index = Nearest(points.frequencyHz, frequencyHz);
    if (!index)
        return std::nullopt;
    return std::complex<double>(points.real[*index], points.imaginary[*index]);
}

template <typename Frequencies>
Extent ExtentOfSeries(const Frequencies& frequencyHz)
{
    return {frequencyHz.size(), frequencyHz.front(), frequencyHz.back()};
}

}  // namespace

MeasuredSweep::MeasuredSweep(const BenchInput& input, bool reversed, touchstone::ReadProgress* progress)
    : bench_(std::make_unique<measured::Bench>(ReadBench(input, progress)))
{
    // The rows take a while for large files too: a read cancelled meanwhile computes none.
    if (progress && progress->cancelled.load())
        throw touchstone::ReadCancelled();
    for (Through& through : bench_->chain) {
        auto* twoPort = std::get_if<TwoPort>(&through.value);
        if (reversed && twoPort) {
            std::swap(twoPort->s11, twoPort->s22);
            std::swap(twoPort->s21, twoPort->s12);
            through.name += " reversed";
        }
    }
    sweep_.emplace(*bench_);
    SetBand({});
}

bool MeasuredSweep::SetBand(Band band)
{
    cli::PlotSeries series;
    const ActiveSides active = sweep_->Run(
        [&series](std::span<const RowValues> rows) {
            for (const RowValues& row : rows)
                series.Append(row);
        },
        band);
    if (series.frequencyHz.empty())
        return false;
    band_ = band;
    series_ = std::move(series);
    active_ = active;
    worst_ = FindWorstCase(*sweep_, band);
    load_ = PointsOf(bench_->load, false, band);
    sourceConjugate_ = PointsOf(bench_->source, true, band);
    return true;
}

std::string MeasuredSweep::Notes() const
{
    std::string notes;
    if (const std::size_t outside = sweep_->GridPointsOutside(); outside > 0)
        notes += sweep_->GridName() + ": " + std::to_string(outside) + " of " + std::to_string(sweep_->GridPoints())
                 + " frequencies lie outside the range of " + sweep_->OutsideOf() + " and are left out\n";
    for (const auto& [side, points] : {std::pair{&bench_->source, active_.source}, std::pair{&bench_->load, active_.load}})
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
    return Nearest(series_.frequencyHz, frequencyHz).value_or(0);
}

std::size_t MeasuredSweep::TenthAway(std::size_t row, bool up) const
{
    const std::vector<double>& hz = series_.frequencyHz;
    const double step = (hz.back() - hz.front()) / 10.0;
    const std::size_t near = RowNear(hz[row] + (up ? step : -step));
    if (near != row)
        return near;
    return up ? std::min(row + 1, hz.size() - 1) : (row > 0 ? row - 1 : 0);
}

std::size_t MeasuredSweep::RowNearestOnSmith(std::complex<double> gamma) const
{
    double nearestHz = series_.frequencyHz.front();
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const SmithPoints* points : {&load_, &sourceConjugate_}) {
        for (std::size_t i = 0; i < points->frequencyHz.size(); ++i) {
            const double distance = std::norm(std::complex<double>(points->real[i], points->imaginary[i]) - gamma);
            if (distance < nearestDistance) {
                nearestDistance = distance;
                nearestHz = points->frequencyHz[i];
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
    return PointAt(load_, FrequencyAt(row));
}

std::optional<std::complex<double>> MeasuredSweep::SourceConjugateAt(std::size_t row) const
{
    return PointAt(sourceConjugate_, FrequencyAt(row));
}

void MeasuredSweep::WriteTable(char separator, const std::function<void(std::string_view)>& sink) const
{
    sink(cli::SweepHeader(WithTwoPort(), separator));
    std::string text;
    text.reserve(Sweep::kBlockRows * cli::SweepRowBytes(WithTwoPort()));
    sweep_->Run(
        [&](std::span<const RowValues> rows) {
            text.clear();
            for (const RowValues& row : rows)
                cli::AppendSweepRow(text, row, separator);
            sink(text);
        },
        band_);
}

ReadOutcome ReadSweep(const BenchInput& input, bool reversed, touchstone::ReadProgress* progress)
{
    ReadOutcome outcome;
    try {
        outcome.sweep = std::make_unique<MeasuredSweep>(input, reversed, progress);
    } catch (const touchstone::ReadCancelled&) {
        return outcome;
    } catch (const MeasuredError& error) {
        outcome.failure = error.Located();
        outcome.failedFile = error.file();
    } catch (const std::bad_alloc&) {
        outcome.failure = "not enough memory to read the files";
    }
    return outcome;
}

std::optional<Extent> ExtentOf(const Side& side)
{
    if (const Reflection* measured = side.Measured())
        return ExtentOfSeries(measured->frequencyHz);
    return std::nullopt;
}

std::optional<Extent> ExtentOf(const Through& through)
{
    if (const TwoPort* measured = through.Measured())
        return ExtentOfSeries(measured->frequencyHz);
    return std::nullopt;
}

OneOff ComputeOneOffResult(const BenchInput& input)
{
    OneOff result{ComputeOneOff(input, kCoverageProbability), {}};
    if (!input.chain.empty()) {
        result.verdict = cli::Verdict(result.values.pair, "The two-port");
        result.verdict.pop_back();
    }
    return result;
}

}  // namespace corvalen::sweepwindow
