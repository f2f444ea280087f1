// SPDX-License-Identifier: MIT
// log10 for the Windows build, defined here so that the program links it in
// place of the C runtime's: msvcrt's log10 differs from glibc's in the last bit
// for about one value in eight, which `mismatch --format json` prints in full,
// and Windows' and Wine's differ from each other as well. This is glibc's
// formula (fdlibm's), log10(m 2^k) = k log10(2) + log(m) / ln(10) with log10(2)
// in two parts, over the log linked in with the program; over glibc's log it
// gives glibc's log10 bit for bit.

#include <cmath>
#include <limits>

extern "C" double log10(double x)
{
    constexpr double kLog10Of2High = 3.01029995663611771306e-01;  // 33 bits: exact times any exponent
    constexpr double kLog10Of2Low = 3.69423907715893078616e-13;
    constexpr double kOneOverLn10 = 4.34294481903251816668e-01;
    if (!(x > 0.0 && x < std::numeric_limits<double>::infinity()))
        return std::log(x);  // the same zero, negative, infinite and NaN cases
    // m in [1, 2) where x >= 1, else in [0.5, 1): k log10(2) and log(m) never cancel.
    int exponent = 0;
    double significand = std::frexp(x, &exponent);
    if (exponent > 0) {
        significand *= 2.0;
        --exponent;
    }
    const double k = exponent;
    return (k * kLog10Of2Low + kOneOverLn10 * std::log(significand)) + k * kLog10Of2High;
}
