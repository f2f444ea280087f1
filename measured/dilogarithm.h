// SPDX-License-Identifier: MIT
#pragma once

#include <span>

namespace corvalen::measured {

// Li2(x) = sum over k >= 1 of x^k / k^2, for x from 0 to 1 (pi^2 / 6 at 1), to a
// few units in the last place. The variance of ln |1 - r e^(j theta)| over a
// uniform theta is Li2(r^2) / 2.
double Dilogarithm(double x);
// Li2 of each x into li2 (as long as x), each the very double Dilogarithm gives:
// the series of many values side by side, where one alone waits on each step.
void Dilogarithms(std::span<const double> x, std::span<double> li2);

}  // namespace corvalen::measured
