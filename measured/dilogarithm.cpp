// SPDX-License-Identifier: MIT
#include "dilogarithm.h"

#include <algorithm>
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

// Up to 1/16 the power series itself, x (1 + x (1/4 + x (1/9 + ...))): what twelve
// terms leave out is below 2^-55 of the sum, and no logarithm is taken.
constexpr double kPowerSeriesUpTo = 1.0 / 16.0;
constexpr std::array<double, 12> kPowerCoefficients = [] {
    std::array<double, 12> coefficients{};
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        coefficients[k] = 1.0 / static_cast<double>((k + 1) * (k + 1));
    return coefficients;
}();

// Lanes values at once, each by the same steps as one alone, as below.
template <std::size_t Lanes>
void DilogarithmPowerSeries(const double* x, double* li2)
{
    std::array<double, Lanes> sum{};
    for (std::size_t k = kPowerCoefficients.size(); k-- > 0;)
        for (std::size_t i = 0; i < Lanes; ++i)
            sum[i] = sum[i] * x[i] + kPowerCoefficients[k];
    for (std::size_t i = 0; i < Lanes; ++i)
        li2[i] = x[i] * sum[i];
}

// For x up to 1/2, where u stays below ln 2 and every term is computed without
// cancellation: Lanes values at once, each by the same steps as one alone, so
// that a value's bits do not depend on its neighbours.
template <std::size_t Lanes>
void DilogarithmSeries(const double* x, double* li2)
{
    std::array<double, Lanes> u{}, u2{}, tail{};
    for (std::size_t i = 0; i < Lanes; ++i) {
        u[i] = -std::log1p(-x[i]);
        u2[i] = u[i] * u[i];
    }
    for (std::size_t k = kSeriesCoefficients.size(); k-- > 0;)
        for (std::size_t i = 0; i < Lanes; ++i)
            tail[i] = tail[i] * u2[i] + kSeriesCoefficients[k];
    for (std::size_t i = 0; i < Lanes; ++i)
        li2[i] = u[i] - u2[i] / 4.0 + u[i] * u2[i] * tail[i];
}

double DilogarithmSeries(double x)
{
    double li2 = 0.0;
    DilogarithmSeries<1>(&x, &li2);
    return li2;
}

}  // namespace

double Dilogarithm(double x)
{
    if (x <= kPowerSeriesUpTo) {
        double li2 = 0.0;
        DilogarithmPowerSeries<1>(&x, &li2);
        return li2;
    }
    if (x <= 0.5)
        return DilogarithmSeries(x);
    if (x >= 1.0)
        return std::numbers::pi * std::numbers::pi / 6.0;
    // Euler's reflection brings x above 1/2 back below it.
    return std::numbers::pi * std::numbers::pi / 6.0 - std::log(x) * std::log1p(-x) - DilogarithmSeries(1.0 - x);
}

void Dilogarithms(std::span<const double> x, std::span<double> li2)
{
    // Eight lanes hide the latency of a step of the polynomial; a group whose values
    // take different ways (or the reflection's, above 1/2) is summed a value at a
    // time, as is the remainder.
    constexpr std::size_t kLanes = 8;
    const auto power = [](double v) { return v <= kPowerSeriesUpTo; };
    const auto bernoulli = [](double v) { return v > kPowerSeriesUpTo && v <= 0.5; };
    std::size_t i = 0;
    for (; i + kLanes <= x.size(); i += kLanes) {
        const double* group = &x[i];
        if (std::all_of(group, group + kLanes, power))
            DilogarithmPowerSeries<kLanes>(group, &li2[i]);
        else if (std::all_of(group, group + kLanes, bernoulli))
            DilogarithmSeries<kLanes>(group, &li2[i]);
        else
            std::transform(group, group + kLanes, &li2[i], Dilogarithm);
    }
    std::transform(x.begin() + static_cast<std::ptrdiff_t>(i), x.end(), li2.begin() + static_cast<std::ptrdiff_t>(i),
                   Dilogarithm);
}

}  // namespace corvalen::measured
