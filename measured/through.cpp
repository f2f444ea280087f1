// SPDX-License-Identifier: MIT
#include "through.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace corvalen::measured {
namespace {

// dB per unit of relative error, over sqrt(2): the standard deviation of the
// cosine of a uniformly distributed phase is 1 / sqrt(2).
constexpr double kStandardDbPerUnit = 20.0 / std::numbers::ln10 / std::numbers::sqrt2;

double Magnitude(std::complex<double> z)
{
    return std::sqrt(std::norm(z));
}

}  // namespace

TwoPortPoint PadPoint(const Pad& pad)
{
    const double transmission = std::pow(10.0, -pad.lossDb / 20.0);
    const double reflection = (pad.vswr - 1.0) / (pad.vswr + 1.0);
    return {reflection, transmission, transmission, reflection, false};
}

double StandardUncertaintyDb(double gammaProduct)
{
    return kStandardDbPerUnit * gammaProduct;
}

ThroughValues ComputeThrough(double sourceGammaMagnitude, double loadGammaMagnitude,
                             std::optional<std::complex<double>> sourceGamma,
                             std::optional<std::complex<double>> loadGamma, const TwoPortPoint& twoPort)
{
    const double a = sourceGammaMagnitude * Magnitude(twoPort.s11);
    const double b = Magnitude(twoPort.s22) * loadGammaMagnitude;
    const double c = Magnitude(twoPort.s21 * twoPort.s12) * sourceGammaMagnitude * loadGammaMagnitude;
    const double lower = (1.0 - a) * (1.0 - b) - c;
    ThroughValues values{20.0 * std::log10((1.0 + a) * (1.0 + b) + c),
                         lower > 0.0 ? 20.0 * std::log10(lower) : -std::numeric_limits<double>::infinity(),
                         kStandardDbPerUnit * std::sqrt(a * a + b * b + c * c), std::nullopt};
    if (twoPort.phaseKnown && sourceGamma && loadGamma) {
        const std::complex<double> d = (1.0 - *sourceGamma * twoPort.s11) * (1.0 - twoPort.s22 * *loadGamma)
                                       - twoPort.s21 * twoPort.s12 * *sourceGamma * *loadGamma;
        values.mismatchErrorDb = 10.0 * std::log10(std::norm(d));
    }
    return values;
}

}  // namespace corvalen::measured
