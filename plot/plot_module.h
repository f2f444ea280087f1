// SPDX-License-Identifier: MIT
#pragma once

// The entry points of corvalen-plot, the module that draws a sweep and a Smith
// chart. corvalen-cli loads it only for --plot and --smith, so the table itself
// needs no Qt; hence a plain C interface with nothing to free across it. It is
// only a shim: each entry point unpacks its structure into the chart and calls
// plot::WritePicture (picture_file.h), which a program linking Qt calls directly.

#include <cstddef>

extern "C" {

struct CorvalenSweepPlot {
    std::size_t points;
    const double* frequencyHz;  // ascending
    const double* plusUncertaintyDb;
    const double* minusUncertaintyDb;
    const double* mismatchErrorDb;  // null when a side is a fixed VSWR
    const double* loadMismatchLossDb;
    // With a two-port between source and load (all null without one):
    const double* throughPlusUncertaintyDb;
    const double* throughMinusUncertaintyDb;
    const double* throughMismatchErrorDb;  // null unless every phase is measured
    const char* throughName;               // null without a two-port
    const char* sourceName;
    const char* loadName;
    // The frequencies where the source's or the load's |G| is above 1, ascending
    // (null with none), marked on the plot.
    std::size_t sourceAboveOnePoints;
    const double* sourceAboveOneHz;
    std::size_t loadAboveOnePoints;
    const double* loadAboveOneHz;
    const char* path;  // ends in .svg or .png
};

// 0 when the picture is written; otherwise nonzero, with the reason in `reason`
// (cut to reasonSize - 1 bytes) and nothing left at `path`.
int corvalen_plot_sweep(const CorvalenSweepPlot* plot, char* reason, std::size_t reasonSize);

// One side on the Smith chart: a measured reflection across frequency, or a
// fixed |G| with its phase unknown (points 0), drawn as a circle.
struct CorvalenSmithTrace {
    std::size_t points;
    const double* frequencyHz;  // ascending
    const double* real;
    const double* imaginary;
    double fixedGammaMagnitude;  // used when points is 0
    const char* name;
};

// Pixels are not data: a trace of any length is thinned to about one point per
// half pixel it travels, so the picture stays small.
struct CorvalenSmithChart {
    CorvalenSmithTrace load;            // the load's reflection
    CorvalenSmithTrace sourceConjugate;  // the conjugate of the source's reflection
    const char* path;                    // ends in .svg or .png
};

// Returns as corvalen_plot_sweep does.
int corvalen_plot_smith(const CorvalenSmithChart* chart, char* reason, std::size_t reasonSize);

}  // extern "C"

// Without Qt SVG (the Windows build), pictures are PNG only; an SVG name is refused with this.
inline constexpr bool kCorvalenWritesSvg = CORVALEN_WRITES_SVG;
inline constexpr char kCorvalenPngOnly[] = "this build writes PNG pictures only: name the file .png";

inline constexpr char kCorvalenPlotEntryPoint[] = "corvalen_plot_sweep";
using CorvalenPlotSweep = int (*)(const CorvalenSweepPlot*, char*, std::size_t);
inline constexpr char kCorvalenSmithEntryPoint[] = "corvalen_plot_smith";
using CorvalenPlotSmith = int (*)(const CorvalenSmithChart*, char*, std::size_t);
