// SPDX-License-Identifier: MIT
#pragma once

// A source and a load, each measured across frequency or a fixed VSWR, and the
// mismatch quantities of the pair at every frequency, in double precision.

#include "touchstone.h"

#include <complex>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace corvalen::measured {

struct Side {
    std::string name;               // as the user gave it, for messages and titles
    std::optional<double> fixedVswr;  // phase unknown; otherwise `measured` holds the data
    Reflection measured;
};

// One side at one frequency.
struct SideValues {
    double vswr;
    double returnLossDb;
    double gammaMagnitude;
};

struct RowValues {
    double frequencyHz;
    SideValues source;
    SideValues load;
    double loadMismatchLossDb;
    double maxVswr;
    double combinedReturnLossDb;
    double plusUncertaintyDb;
    double minusUncertaintyDb;
    std::optional<double> mismatchErrorDb;  // only when both phases are known
};

// Points where a side's |G| exceeds 1 (measurement noise on a near-total reflection).
struct ActivePoints {
    std::size_t count = 0;
    double firstFrequencyHz = 0.0;
};

struct SweepSummary {
    std::size_t rows = 0;
    std::size_t loadPointsOutside = 0;  // load frequencies outside the source's range
    ActivePoints source;
    ActivePoints load;
};

// A side with a phase: |G| is taken from it. VSWR and mismatch loss are infinite
// from |G| = 1 on; they are printed as such rather than as negative numbers.
SideValues MeasuredSideValues(std::complex<double> gamma);
SideValues FixedSideValues(double vswr);

RowValues ComputeRow(double frequencyHz, const SideValues& source, const SideValues& load,
                     std::optional<std::complex<double>> sourceGamma, std::optional<std::complex<double>> loadGamma);

// Checks that the two sides can be paired (at least one measured, frequency
// ranges overlapping) and counts the rows RunSweep will hand out. Throws MeasuredError.
SweepSummary PlanSweep(const Side& source, const Side& load);

// Counts the row into summary.source / summary.load where a |G| exceeds 1.
void NoteActivePoints(SweepSummary& summary, const RowValues& row);

// Hands rows firstRow to endRow - 1 of the sweep to `row`, one per frequency,
// ascending: the load's frequencies inside the source's range, the source
// interpolated linearly in its real and imaginary parts; where one side is
// fixed, the other side's frequencies. Parts of a sweep may run side by side.
void RunSweep(const Side& source, const Side& load, std::size_t firstRow, std::size_t endRow,
              const std::function<void(const RowValues&)>& row);

}  // namespace corvalen::measured
