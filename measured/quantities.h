// SPDX-License-Identifier: MIT
#pragma once

// The mismatch quantities in double precision, each formula written once: one
// side, and the pair directly and through two-ports at one frequency (the
// chain's mathematics in uncertainty.h).

#include "uncertainty.h"
#include "values.h"

#include <cmath>
#include <complex>
#include <optional>
#include <span>
#include <vector>

namespace corvalen::measured {

// Reflections are near 1 at most, far from where std::abs's care against
// overflow (hypot, a tenth of the sweep's time) matters.
inline double Magnitude(std::complex<double> z)
{
    return std::sqrt(std::norm(z));
}
// The amplitude ratio 10^(-lossDb / 20) of a loss or return loss.
double AmplitudeOfLoss(double lossDb);

// A side with a phase: |G| is taken from it. VSWR and mismatch loss are infinite
// from |G| = 1 on; they are printed as such rather than as negative numbers.
SideValues MeasuredSideValues(std::complex<double> gamma);
SideValues FixedSideValues(double vswr);                 // at least 1
SideValues GammaSideValues(double gammaMagnitude);       // |G| from 0 to 1
SideValues ReturnLossSideValues(double returnLossDb);    // at least 0 dB

// A row's sides and two-ports as measured or given.
struct RowInputs {
    double frequencyHz = 0.0;
    SideValues source{};
    SideValues load{};
    std::optional<std::complex<double>> sourceGamma;  // only where the phase is measured
    std::optional<std::complex<double>> loadGamma;
    std::vector<ChainTwoPort> chain;  // in order from the source; empty without two-ports
};

// The pair's own values: the sides, the load's mismatch loss, the maximum VSWR
// and the combined return loss; the mismatch is left to ComputeMismatch.
RowValues ComputePair(const RowInputs& inputs);

// The mismatch of the row's sides through `chain` (directly where it is empty).
ChainMismatch MismatchOf(const RowInputs& inputs, std::span<const ChainTwoPort> chain,
                         std::span<const PadAverages> padAverages = {});

// Its limits, the error where every phase is measured and, if asked for, the
// standard uncertainty where one is not (a grid over the phases of pads can
// cost a thousand times the rest of a row).
MismatchValues ComputeMismatch(const RowInputs& inputs, std::span<const ChainTwoPort> chain,
                               bool withStandardUncertainty = true, std::span<const PadAverages> padAverages = {});

}  // namespace corvalen::measured
