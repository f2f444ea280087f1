// SPDX-License-Identifier: MIT
#pragma once

namespace corvalen::measured {

// Li2(x) = sum over k >= 1 of x^k / k^2, for x from 0 to 1 (pi^2 / 6 at 1), to a
// few units in the last place. The variance of ln |1 - r e^(j theta)| over a
// uniform theta is Li2(r^2) / 2.
double Dilogarithm(double x);

}  // namespace corvalen::measured
