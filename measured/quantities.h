// SPDX-License-Identifier: MIT
#pragma once

// The mismatch quantities in double precision, each formula written once: one
// side, the pair, and the pair through a two-port, at one frequency.

#include "values.h"

#include <complex>
#include <optional>

namespace corvalen::measured {

// A side with a phase: |G| is taken from it. VSWR and mismatch loss are infinite
// from |G| = 1 on; they are printed as such rather than as negative numbers.
SideValues MeasuredSideValues(std::complex<double> gamma);
SideValues FixedSideValues(double vswr);                 // at least 1
SideValues GammaSideValues(double gammaMagnitude);       // |G| from 0 to 1
SideValues ReturnLossSideValues(double returnLossDb);    // at least 0 dB

// The pair directly: the limits 20 log10(1 +- |Gs||GL|), the first-order
// standard uncertainty of a phase unknown (20 / ln 10) / sqrt(2) |Gs||GL| dB,
// and, with both phases known, the error 20 log10 |1 - Gs GL|.
RowValues ComputeRow(double frequencyHz, const SideValues& source, const SideValues& load,
                     std::optional<std::complex<double>> sourceGamma, std::optional<std::complex<double>> loadGamma);

// A two-port at one frequency, port 1 facing the source; for a pad, the
// magnitudes with phase 0.
struct TwoPortPoint {
    std::complex<double> s11, s21, s12, s22;
    bool phaseKnown;
};

TwoPortPoint PadPoint(const Pad& pad);

// With a = |Gs S11|, b = |S22 GL|, c = |S21 S12 Gs GL|: the limits
// 20 log10((1 + a)(1 + b) + c) and 20 log10((1 - a)(1 - b) - c), the standard
// uncertainty (20 / ln 10) / sqrt(2) sqrt(a^2 + b^2 + c^2), and, with every
// phase known, the error 20 log10 |(1 - Gs S11)(1 - S22 GL) - S21 S12 Gs GL|.
ThroughValues ComputeThrough(double sourceGammaMagnitude, double loadGammaMagnitude,
                             std::optional<std::complex<double>> sourceGamma,
                             std::optional<std::complex<double>> loadGamma, const TwoPortPoint& twoPort);

}  // namespace corvalen::measured
