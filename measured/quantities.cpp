// SPDX-License-Identifier: MIT
#include "quantities.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace corvalen::measured {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double AmplitudeDb(double ratio)
{
    return 20.0 * std::log10(ratio);
}

double ReturnLossDb(double gammaMagnitude)
{
    return -AmplitudeDb(gammaMagnitude);
}

double GammaOfVswr(double vswr)
{
    return std::isinf(vswr) ? 1.0 : (vswr - 1.0) / (vswr + 1.0);
}

}  // namespace

double AmplitudeOfLoss(double lossDb)
{
    return std::pow(10.0, -lossDb / 20.0);
}

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
    SideValues values = GammaSideValues(AmplitudeOfLoss(returnLossDb));
    values.returnLossDb = returnLossDb;
    return values;
}

RowValues ComputePair(const RowInputs& inputs)
{
    const SideValues& source = inputs.source;
    const SideValues& load = inputs.load;
    RowValues row{};
    row.frequencyHz = inputs.frequencyHz;
    row.source = source;
    row.load = load;
    const double transmitted = 1.0 - load.gammaMagnitude * load.gammaMagnitude;
    row.loadMismatchLossDb = transmitted > 0.0 ? -10.0 * std::log10(transmitted) : kInfinity;
    row.maxVswr = source.vswr * load.vswr;
    // As the window does: the return loss of a single reflection with the worst-case VSWR.
    row.combinedReturnLossDb = std::isinf(row.maxVswr) ? 0.0 : ReturnLossDb(GammaOfVswr(row.maxVswr));
    return row;
}

ChainMismatch MismatchOf(const RowInputs& inputs, std::span<const ChainTwoPort> chain,
                         std::span<const PadAverages> padAverages)
{
    return ChainMismatch({inputs.source.gammaMagnitude, inputs.sourceGamma}, chain,
                         {inputs.load.gammaMagnitude, inputs.loadGamma}, padAverages);
}

MismatchValues ComputeMismatch(const RowInputs& inputs, std::span<const ChainTwoPort> chain,
                               bool withStandardUncertainty, std::span<const PadAverages> padAverages)
{
    const ChainMismatch mismatch = MismatchOf(inputs, chain, padAverages);
    const ErrorLimitsDb limits = mismatch.LimitsDb();
    return {limits.plusDb, limits.minusDb, mismatch.ErrorDb(),
            withStandardUncertainty ? mismatch.StandardUncertaintyDb() : std::nullopt};
}

}  // namespace corvalen::measured
