// SPDX-License-Identifier: MIT
#pragma once

// What the mismatch engine answers with, as plain values: nothing to read, no threads.

#include <cstddef>
#include <optional>

namespace corvalen::measured {

// One side at one frequency.
struct SideValues {
    double vswr;
    double returnLossDb;
    double gammaMagnitude;
};

// A passive pad or cable known by its loss and the VSWR of both ports, phases unknown.
struct Pad {
    double lossDb;
    double vswr;
};

// The mismatch of a source and a load through what lies between them.
struct ThroughValues {
    double plusUncertaintyDb;
    double minusUncertaintyDb;  // minus infinity where the lower bound is not positive
    double standardUncertaintyDb;
    std::optional<double> mismatchErrorDb;  // only where every phase is known
};

// The pair at one frequency, directly and through the two-port if there is one.
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
    double standardUncertaintyDb;
    std::optional<ThroughValues> through;
};

// Points where a side's |G| exceeds 1 (measurement noise on a near-total reflection).
struct ActivePoints {
    std::size_t count = 0;
    double firstFrequencyHz = 0.0;
};

}  // namespace corvalen::measured
