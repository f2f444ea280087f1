// SPDX-License-Identifier: MIT
#pragma once

// The charts as picture files: a chart and a path in, a PNG or SVG file out.
// Corvalen Sweep's Save buttons call these, and so does the plot module that
// corvalen-cli loads.

#include "plot/smith_chart.h"
#include "plot/sweep_chart.h"

#include <string>

namespace corvalen::plot {

// Each draws the chart at the size the files have (kSweepChartSize,
// kSmithChartSize) into `path`, an SVG where the name ends in .svg in any case
// and a PNG otherwise. Returns an empty string when the file is written, else
// why it is not, with nothing left at `path`. Starts a display-less Qt when the
// process has none, and keeps Qt's notes off stderr.
std::string WritePicture(const SweepChart& chart, const std::string& path);
std::string WritePicture(const SmithChart& chart, const std::string& path);

}  // namespace corvalen::plot
