// SPDX-License-Identifier: MIT
#include "quantities.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace corvalen::measured {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// dB per unit of relative error, over sqrt(2): the standard deviation of the
// cosine of a uniformly distributed phase is 1 / sqrt(2).
constexpr double kStandardDbPerUnit = 20.0 / std::numbers::ln10 / std::numbers::sqrt2;

double AmplitudeDb(double ratio)
{
    return 20.0 * std::log10(ratio);
}

// A lower limit that is not positive has no value in dB.
double LowerLimitDb(double ratio)
{
    return ratio > 0.0 ? AmplitudeDb(ratio) : -kInfinity;
}

double ReturnLossDb(double gammaMagnitude)
{
    return -AmplitudeDb(gammaMagnitude);
}

// 20 log10 |d|, taken from |d|^2 without a square root.
double ErrorDb(std::complex<double> d)
{
    return 10.0 * std::log10(std::norm(d));
}

double GammaOfVswr(double vswr)
{
    return std::isinf(vswr) ? 1.0 : (vswr - 1.0) / (vswr + 1.0);
}

// Reflections are near 1 at most, far from where std::abs's care against
// overflow (hypot, a tenth of the sweep's time) matters.
double Magnitude(std::complex<double> z)
{
    return std::sqrt(std::norm(z));
}

}  // namespace

SideValues GammaSideValues(double gammaMagnitude)
{
    const double vswr = gammaMagnitude < 1.0 ? (1.0 + gammaMagnitude) / (1.0 - gammaMagnitude) : kInfinity;
    return {vswr, ReturnLossDb(gammaMagnitude), gammaMagnitude};
}

SideValues MeasuredSideValues(std::complex<double> gamma)
{
    return GammaSideValues(Magnitude(gamma));
}

SideValues FixedSideValues(double vswr)
{
    const double magnitude = GammaOfVswr(vswr);
    return {vswr, ReturnLossDb(magnitude), magnitude};
}

SideValues ReturnLossSideValues(double returnLossDb)
{
    SideValues values = GammaSideValues(std::pow(10.0, -returnLossDb / 20.0));
    values.returnLossDb = returnLossDb;
    return values;
}

RowValues ComputeRow(double frequencyHz, const SideValues& source, const SideValues& load,
                     std::optional<std::complex<double>> sourceGamma, std::optional<std::complex<double>> loadGamma)
{
    RowValues row{};
    row.frequencyHz = frequencyHz;
    row.source = source;
    row.load = load;
    const double transmitted = 1.0 - load.gammaMagnitude * load.gammaMagnitude;
    row.loadMismatchLossDb = transmitted > 0.0 ? -10.0 * std::log10(transmitted) : kInfinity;
    row.maxVswr = source.vswr * load.vswr;
    // As the window does: the return loss of a single reflection with the worst-case VSWR.
    row.combinedReturnLossDb = std::isinf(row.maxVswr) ? 0.0 : ReturnLossDb(GammaOfVswr(row.maxVswr));
    const double product = source.gammaMagnitude * load.gammaMagnitude;
    row.plusUncertaintyDb = AmplitudeDb(1.0 + product);
    row.minusUncertaintyDb = LowerLimitDb(1.0 - product);
    if (sourceGamma && loadGamma)
        row.mismatchErrorDb = ErrorDb(1.0 - *sourceGamma * *loadGamma);
    row.standardUncertaintyDb = kStandardDbPerUnit * product;
    return row;
}

TwoPortPoint PadPoint(const Pad& pad)
{
    const double transmission = std::pow(10.0, -pad.lossDb / 20.0);
    const double reflection = GammaOfVswr(pad.vswr);
    return {reflection, transmission, transmission, reflection, false};
}

ThroughValues ComputeThrough(double sourceGammaMagnitude, double loadGammaMagnitude,
                             std::optional<std::complex<double>> sourceGamma,
                             std::optional<std::complex<double>> loadGamma, const TwoPortPoint& twoPort)
{
    const double a = sourceGammaMagnitude * Magnitude(twoPort.s11);
    const double b = Magnitude(twoPort.s22) * loadGammaMagnitude;
    const double c = Magnitude(twoPort.s21 * twoPort.s12) * sourceGammaMagnitude * loadGammaMagnitude;
    ThroughValues values{AmplitudeDb((1.0 + a) * (1.0 + b) + c), LowerLimitDb((1.0 - a) * (1.0 - b) - c),
                         kStandardDbPerUnit * std::sqrt(a * a + b * b + c * c), std::nullopt};
    if (twoPort.phaseKnown && sourceGamma && loadGamma)
        values.mismatchErrorDb = ErrorDb((1.0 - *sourceGamma * twoPort.s11) * (1.0 - twoPort.s22 * *loadGamma)
                                         - twoPort.s21 * twoPort.s12 * *sourceGamma * *loadGamma);
    return values;
}

}  // namespace corvalen::measured
