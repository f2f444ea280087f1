// SPDX-License-Identifier: MIT
#pragma once

// What the charts draw of a sweep, gathered as plain numbers: the plot's series
// row by row, each side's trace on the Smith chart, and the chain's name in the
// legend. Both programs hand these to the plot library, each its own way.

#include "measured/bench.h"
#include "measured/sweep.h"
#include "measured/values.h"

#include <span>
#include <string>
#include <vector>

namespace corvalen::measuredtext {

// The plot's series, gathered row by row.
struct PlotSeries {
    std::vector<double> frequencyHz, plusDb, minusDb, errorDb, mismatchLossDb, throughPlusDb, throughMinusDb,
        throughErrorDb;
    // The frequencies where a side's |G| is above 1, marked on the plot.
    std::vector<double> sourceAboveOneHz, loadAboveOneHz;

    void Append(const measured::RowValues& row);
};

// The chain as the plot's legend names it, "cable.s2p then pad.s2p"; empty without one.
std::string ChainName(const measured::Bench& bench);

// Which side a Smith chart's trace shows. The source is drawn conjugated, so
// that its trace meets the load's where the pair is conjugate-matched.
enum class SmithSide { Load, SourceConjugate };

// A side's trace on the Smith chart: its reflection at the file's own
// frequencies inside the band, the parts of G apart as drawing takes them; or,
// for a fixed value, no points and the circle of its |G|.
struct SmithSeries {
    std::span<const double> frequencyHz;  // in the side's file: it must outlive the series
    std::vector<double> real, imaginary;
    double fixedGammaMagnitude = 0.0;  // used when there are no points
    std::string name;
};
SmithSeries SmithSeriesOf(const measured::Side& side, SmithSide as, measured::Band band = {});

}  // namespace corvalen::measuredtext
