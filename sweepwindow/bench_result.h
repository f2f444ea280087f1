// SPDX-License-Identifier: MIT
#pragma once

// What the window shows for one set of inputs, computed by the engine and held
// ready for painting and reading: the sweep's rows, its worst case, the traces
// of both charts, or, with no file, the one-off values. Plain C++, no Qt.

#include "cli/plot_loader.h"
#include "measured/bench.h"
#include "measured/sweep.h"
#include "measured/worst_case.h"

#include <complex>
#include <functional>
#include <string_view>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalen::sweepwindow {

// A side's reflection as the Smith chart draws it (the source conjugated).
struct SmithPoints {
    std::vector<double> frequencyHz, real, imaginary;
};

class MeasuredSweep {
public:
    // Reads every file; throws touchstone::MeasuredError as the CLI reports it.
    // A two-port file `reversed` is turned round: its port 2 faces the source.
    // With `progress`, the read counts its bytes there and may be stopped
    // (touchstone::ReadCancelled).
    explicit MeasuredSweep(const measured::BenchInput& input, bool reversed = false,
                           touchstone::ReadProgress* progress = nullptr);

    // The rows, worst case and traces of the band alone, the files as they were
    // read. False, and nothing changed, when the band holds no row.
    bool SetBand(measured::Band band);
    const measured::Band& CurrentBand() const { return band_; }

    const measured::Bench& Bench() const { return *bench_; }
    // The rows are computed when asked for: a million of them would fill
    // hundreds of megabytes that the charts and the cursor do not need.
    std::size_t RowCount() const { return series_.frequencyHz.size(); }
    double FrequencyAt(std::size_t row) const { return series_.frequencyHz[row]; }
    measured::RowValues RowAt(std::size_t row) const;
    const measured::WorstCase& Worst() const { return worst_; }
    const cli::PlotSeries& Series() const { return series_; }
    const SmithPoints& LoadPoints() const { return load_; }
    const SmithPoints& SourceConjugatePoints() const { return sourceConjugate_; }
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
    measured::ActiveSides active_;
    measured::WorstCase worst_;
    cli::PlotSeries series_;
    SmithPoints load_, sourceConjugate_;
};

// A sweep read, or why not: the CLI's line and the file at fault; or neither,
// when the read was cancelled.
struct ReadOutcome {
    std::unique_ptr<MeasuredSweep> sweep;
    std::string failure;
    std::string failedFile;
};
// Never throws: whatever keeps the files from a sweep is the failure.
ReadOutcome ReadSweep(const measured::BenchInput& input, bool reversed, touchstone::ReadProgress* progress = nullptr);

// The frequencies a file holds; none for a fixed value or a pad.
struct Extent {
    std::size_t points;
    double firstHz;
    double lastHz;
};
std::optional<Extent> ExtentOf(const measured::Side& side);
std::optional<Extent> ExtentOf(const measured::Through& through);

// The one-off values of fixed sides, and the CLI's sentence on whether the
// two-port narrows or widens the limits (empty without one).
struct OneOff {
    measured::OneOffValues values;
    std::string verdict;
};
OneOff ComputeOneOffResult(const measured::BenchInput& input);

}  // namespace corvalen::sweepwindow
