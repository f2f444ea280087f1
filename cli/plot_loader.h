// SPDX-License-Identifier: MIT
#pragma once

// The pictures of a sweep, drawn by the plot module, which is loaded from the
// program's own folder only when a picture is asked for.

#include "measured/bench.h"
#include "measured/values.h"

#include <string>
#include <vector>

namespace corvalen::cli {

// The plot's series, gathered row by row.
struct PlotSeries {
    std::vector<double> frequencyHz, plusDb, minusDb, errorDb, mismatchLossDb, throughPlusDb, throughMinusDb,
        throughErrorDb;
    // The frequencies where a side's |G| is above 1, marked on the plot.
    std::vector<double> sourceAboveOneHz, loadAboveOneHz;

    void Append(const measured::RowValues& row);
};

// Each returns an empty string when the picture is written, else why it is not.
std::string DrawSweepPlot(const std::string& path, const PlotSeries& series, const measured::Bench& bench);
// The chain as the plot's legend names it, "cable.s2p then pad.s2p"; empty without one.
std::string ChainName(const measured::Bench& bench);
std::string DrawSmithChart(const std::string& path, const measured::Bench& bench);

}  // namespace corvalen::cli
