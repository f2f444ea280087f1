// SPDX-License-Identifier: MIT
#include "dilogarithm.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace corvalen::measured {
namespace {

// B_2k / (2k + 1)!, k = 1..10: in u = -ln(1 - x), Li2(x) = u - u^2 / 4 + sum B_2k u^(2k+1) / (2k+1)!.
// The terms fall like (u / 2 pi)^2k, so for u <= ln 2 ten of them are well past double precision.
constexpr std::array<double, 10> kSeriesCoefficients = [] {
    constexpr std::array<double, 10> bernoulli{1.0 / 6,       -1.0 / 30,   1.0 / 42,        -1.0 / 30,
                                               5.0 / 66,      -691.0 / 2730, 7.0 / 6,        -3617.0 / 510,
                                               43867.0 / 798, -174611.0 / 330};
    std::array<double, 10> coefficients{};
    double factorial = 1.0;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        const double odd = 2.0 * static_cast<double>(k) + 3.0;
        factorial *= (odd - 1.0) * odd;
        coefficients[k] = bernoulli[k] / factorial;
    }
    return coefficients;
}();

// For x up to 1/2, where u stays below ln 2 and every term is computed without cancellation.
double DilogarithmSeries(double x)
{
    const double u = -std::log1p(-x);
    const double u2 = u * u;
    double tail = 0.0;
    for (std::size_t k = kSeriesCoefficients.size(); k-- > 0;)
        tail = tail * u2 + kSeriesCoefficients[k];
    return u - u2 / 4.0 + u * u2 * tail;
}

}  // namespace

double Dilogarithm(double x)
{
    if (x <= 0.5)
        return DilogarithmSeries(x);
    if (x >= 1.0)
        return std::numbers::pi * std::numbers::pi / 6.0;
    // Euler's reflection brings x above 1/2 back below it.
    return std::numbers::pi * std::numbers::pi / 6.0 - std::log(x) * std::log1p(-x) - DilogarithmSeries(1.0 - x);
}

}  // namespace corvalen::measured
