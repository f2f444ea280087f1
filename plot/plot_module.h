// SPDX-License-Identifier: MIT
#pragma once

// The entry point of corvalen-plot, the module that draws a sweep. corvalen-cli
// loads it only for --plot, so the table itself needs no Qt; hence a plain C
// interface with nothing to free across it.

#include <cstddef>

extern "C" {

struct CorvalenSweepPlot {
    std::size_t points;
    const double* frequencyHz;  // ascending
    const double* plusUncertaintyDb;
    const double* minusUncertaintyDb;
    const double* mismatchErrorDb;  // null when a side is a fixed VSWR
    const double* loadMismatchLossDb;
    const char* sourceName;
    const char* loadName;
    const char* path;  // ends in .svg or .png
};

// 0 when the picture is written; otherwise nonzero, with the reason in `reason`
// (cut to reasonSize - 1 bytes) and nothing left at `path`.
int corvalen_plot_sweep(const CorvalenSweepPlot* plot, char* reason, std::size_t reasonSize);

}  // extern "C"

inline constexpr char kCorvalenPlotEntryPoint[] = "corvalen_plot_sweep";
using CorvalenPlotSweep = int (*)(const CorvalenSweepPlot*, char*, std::size_t);
