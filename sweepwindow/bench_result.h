// SPDX-License-Identifier: MIT
#pragma once

// What the window shows for one set of inputs, computed by the engine and held
// ready for painting and reading: the sweep's rows, its worst case, the traces
// of both charts, or, with no file, the one-off values. Plain C++, no Qt.

#include "measured/bench.h"
#include "measured/sweep.h"
#include "measured/worst_case.h"
#include "measuredtext/chart_series.h"

#include <complex>
#include <functional>
#include <span>
#include <string_view>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalen::sweepwindow {

class MeasuredSweep {
public:
    // Takes the files read (a two-port turned round already, as its input said);
    // throws touchstone::MeasuredError as the CLI reports it where they have no
    // frequency in common.
    explicit MeasuredSweep(measured::Bench bench);

    // The rows, worst case and traces of the band alone, the files as they were
    // read. False, and nothing changed, when the band holds no row.
    bool SetBand(measured::Band band);

    const measured::Bench& Bench() const { return *bench_; }
    std::size_t RowCount() const { return rowsHz_.size(); }
    double FrequencyAt(std::size_t row) const { return rowsHz_[row]; }
    // The rows, the charts' series and the Smith chart's points are computed
    // when asked for: a million rows would fill hundreds of megabytes, and the
    // charts need theirs only while they draw.
    measured::RowValues RowAt(std::size_t row) const;
    const measured::WorstCase& Worst() const { return worst_; }
    measuredtext::PlotSeries Series() const;
    // Each side's trace on the Smith chart, the source's conjugated.
    measuredtext::SmithSeries LoadPoints() const;
    measuredtext::SmithSeries SourceConjugatePoints() const;
    bool WithTwoPort() const { return !bench_->chain.empty(); }
    // How many of the grid's frequencies lie outside the other files' ranges,
    // and where a side's |G| is above 1 in the band: the CLI's notes, a line each.
    std::string Notes() const;

    // The row nearest to a frequency, and the row a tenth of the band away
    // (at least one row, within the rows).
    std::size_t RowNear(double frequencyHz) const;
    std::size_t TenthAway(std::size_t row, bool up) const;
    // The row whose load or source point on the Smith chart lies nearest to G.
    std::size_t RowNearestOnSmith(std::complex<double> gamma) const;
    // Each measured side's point on the Smith chart at a row's frequency.
    std::optional<std::complex<double>> LoadAt(std::size_t row) const;
    std::optional<std::complex<double>> SourceConjugateAt(std::size_t row) const;

    // The table `corvalen-cli sweep` writes, with the separator of TSV or CSV,
    // to `sink` a block of rows at a time.
    void WriteTable(char separator, const std::function<void(std::string_view)>& sink) const;

private:
    std::unique_ptr<measured::Bench> bench_;  // the sweep refers to it
    std::optional<measured::Sweep> sweep_;
    measured::Band band_;
    measured::WorstCase worst_;
    std::span<const double> rowsHz_;  // in the sweep's grid
};

// The frequencies and reference impedances a file holds; none for a fixed
// value or a pad.
struct Extent {
    std::size_t points;
    double firstHz;
    double lastHz;
    std::vector<double> portOhms;
};
std::optional<Extent> ExtentOf(const measured::Side& side);
std::optional<Extent> ExtentOf(const measured::Through& through);

// What an input holds once read, or the CLI's line for why it cannot be.
struct InputRead {
    std::optional<Extent> extent;
    std::string failure;
};

// A sweep read, or why not: every input read on its own, so that each says
// what it holds or what is wrong with it, whatever the others hold.
struct ReadOutcome {
    std::unique_ptr<MeasuredSweep> sweep;
    InputRead source, load;
    std::vector<InputRead> chain;  // as the bench's chain
    bool Failed() const;
};
// Never throws: whatever keeps the files from a sweep is a failure of the input at fault.
// With `progress`, the reads count their bytes there and may be stopped: a
// read stopped gives neither a sweep nor a failure.
ReadOutcome ReadSweep(const measured::BenchInput& input, touchstone::ReadProgress* progress = nullptr);

// The probability of the coverage interval, as `corvalen-cli mismatch` gives it by default.
inline constexpr double kCoverageProbability = 0.95;

// The one-off values of fixed sides, and the CLI's sentence on whether the
// two-port or the chain narrows or widens the limits (empty without one).
struct OneOff {
    measured::OneOffValues values;
    std::string verdict;
};
OneOff ComputeOneOffResult(const measured::BenchInput& input);

}  // namespace corvalen::sweepwindow
