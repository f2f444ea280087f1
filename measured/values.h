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

// The mismatch of a source and a load, directly or through two-ports.
struct MismatchValues {
    double plusUncertaintyDb;
    double minusUncertaintyDb;  // minus infinity where the lower bound is not positive
    std::optional<double> mismatchErrorDb;  // only where every phase is measured
    // Only where some phase is unknown: where every phase is measured the error
    // is known and has no distribution.
    std::optional<double> standardUncertaintyDb;
};

// The pair at one frequency, directly and through the two-ports if there are any.
struct RowValues {
    double frequencyHz;
    SideValues source;
    SideValues load;
    double loadMismatchLossDb;
    double maxVswr;
    double combinedReturnLossDb;
    MismatchValues direct;
    std::optional<MismatchValues> through;
};

// Points where a side's |G| exceeds 1 (measurement noise on a near-total reflection).
struct ActivePoints {
    std::size_t count = 0;
    double firstFrequencyHz = 0.0;
};

}  // namespace corvalen::measured
