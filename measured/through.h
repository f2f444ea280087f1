// SPDX-License-Identifier: MIT
#pragma once

// A two-port between source and load: an adapter, a cable, a pad. Port 1 faces
// the source, port 2 the load.

#include "touchstone/touchstone.h"

#include <complex>
#include <optional>
#include <string>
#include <variant>

namespace corvalen::measured {

// What the reader gives, which the engine works on.
using touchstone::FrequencyText;
using touchstone::MeasuredError;
using touchstone::Reflection;
using touchstone::Series;
using touchstone::TwoPort;

// A passive pad or cable known by its loss and the VSWR of both ports, phases unknown.
struct Pad {
    double lossDb;
    double vswr;
};

struct Through {
    std::string name;  // as the user gave it
    std::variant<Pad, TwoPort> value;

    const TwoPort* Measured() const { return std::get_if<TwoPort>(&value); }
};

// The two-port at one frequency; for a pad, the magnitudes with phase 0.
struct TwoPortPoint {
    std::complex<double> s11, s21, s12, s22;
    bool phaseKnown;
};

TwoPortPoint PadPoint(const Pad& pad);

// The mismatch of a source and a load through a two-port.
struct ThroughValues {
    double plusUncertaintyDb;
    double minusUncertaintyDb;  // minus infinity where the lower bound is not positive
    double standardUncertaintyDb;
    std::optional<double> mismatchErrorDb;  // only where every phase is known
};

// With a = |Gs S11|, b = |S22 GL|, c = |S21 S12 Gs GL|: the limits
// 20 log10((1 + a)(1 + b) + c) and 20 log10((1 - a)(1 - b) - c), the standard
// uncertainty of a phase unknown (a U-shaped distribution, first order)
// (20 / ln 10) / sqrt(2) sqrt(a^2 + b^2 + c^2), and, with every phase known,
// 20 log10 |(1 - Gs S11)(1 - S22 GL) - S21 S12 Gs GL|.
ThroughValues ComputeThrough(double sourceGammaMagnitude, double loadGammaMagnitude,
                             std::optional<std::complex<double>> sourceGamma,
                             std::optional<std::complex<double>> loadGamma, const TwoPortPoint& twoPort);

// The standard uncertainty of a direct pair with phases unknown: (20 / ln 10) / sqrt(2) |Gs||GL| dB.
double StandardUncertaintyDb(double gammaProduct);

}  // namespace corvalen::measured
