// SPDX-License-Identifier: MIT
#pragma once

// The pictures of a sweep, drawn by the plot module, which is loaded from the
// program's own folder only when a picture is asked for.

#include "measured/bench.h"
#include "measuredtext/chart_series.h"

#include <string>

namespace corvalen::cli {

// Each returns an empty string when the picture is written, else why it is not.
std::string DrawSweepPlot(const std::string& path, const measuredtext::PlotSeries& series,
                          const measured::Bench& bench);
std::string DrawSmithChart(const std::string& path, const measured::Bench& bench);

}  // namespace corvalen::cli
