// SPDX-License-Identifier: MIT
#include "mismatch.h"

#include <cmath>
#include <string>

namespace corvalen {
namespace {

constexpr float Single(double x) noexcept { return static_cast<float>(x); }

void RequireBar(BarValue bar)
{
    if (!IsValidBar(bar))
        throw BarOutOfRange(bar);
}

}  // namespace

BarOutOfRange::BarOutOfRange(int bar)
    : std::out_of_range("bar position " + std::to_string(bar) + " is outside "
                        + std::to_string(kBarMin) + ".." + std::to_string(kBarMax))
    , bar_(bar)
{
}

float Log10(float x) noexcept
{
    if (!(x > 0.0f))
        return -100.0f;
    return Single(std::log(static_cast<double>(x)) / std::log(10.0));
}

float BarToVswr(BarValue bar)
{
    RequireBar(bar);
    return Single(bar / kPositionsPerVswr);
}

float BarToGamma(BarValue bar)
{
    RequireBar(bar);
    const double q = bar / kPositionsPerVswr;
    return Single((q - 1.0) / (q + 1.0));
}

float ReturnLossDb(float gamma) noexcept
{
    return Single(static_cast<double>(Log10(gamma)) * -20.0);
}

float LoadMismatchLossDb(float returnLossDb) noexcept
{
    // Undoes RL = -20 log10(gamma). Negating after the division and squaring
    // with pow are both exact here (a float's square fits in a double), so
    // they give the same bits as -RL / 20 and gamma * gamma would.
    const double e = (static_cast<double>(returnLossDb) / 20.0) * -1.0;
    // At 2000 dB this underflows to zero in single precision, which is intended:
    // the loss then comes out as zero.
    const float gammaAgain = Single(std::pow(10.0, e));
    const float transmitted = Single(1.0 - std::pow(static_cast<double>(gammaAgain), 2.0));
    return Single(static_cast<double>(Log10(transmitted)) * -10.0);
}

CombinedResults::CombinedResults(BarValue bar1, BarValue bar2)
{
    RequireBar(bar1);
    RequireBar(bar2);

    const double v1 = Single(bar1 / kPositionsPerVswr);
    const double v2 = Single(bar2 / kPositionsPerVswr);
    gamma1 = Single((v1 - 1.0) / (v1 + 1.0));
    gamma2 = Single((v2 - 1.0) / (v2 + 1.0));

    maxVswr = Single(v2 * v1);

    infinite = v1 == 1.0 && v2 == 1.0;
    if (!infinite) {
        const double product = v2 * v1;
        combinedReturnLossDb = ReturnLossDb(Single((product - 1.0) / (product + 1.0)));
    }

    const double g1 = gamma1;
    const double g2 = gamma2;
    plusDb = Single(static_cast<double>(Log10(Single(g2 * g1 + 1.0))) * 20.0);
    minusDb = Single(static_cast<double>(Log10(Single(1.0 - g2 * g1))) * 20.0);
}

}  // namespace corvalen
