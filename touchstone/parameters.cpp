// SPDX-License-Identifier: MIT
#include "parameters.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>
#include <utility>

namespace corvalen::touchstone {
namespace {

// Each port's parameters relate one of its quantities to the other: Z gives
// voltages from currents at every port, Y currents from voltages, H the
// voltage at port 1 and the current at port 2 from the current at port 1 and
// the voltage at port 2, G the other way round. +1 where the port's given
// quantity is its voltage, -1 where it is its current.
double GivenQuantitySign(ParameterType type, std::size_t port)
{
    switch (type) {
    case ParameterType::Y:
        return 1.0;
    case ParameterType::Z:
        return -1.0;
    case ParameterType::H:
        return port == 0 ? -1.0 : 1.0;
    case ParameterType::G:
        return port == 0 ? 1.0 : -1.0;
    case ParameterType::S:
        break;
    }
    return 0.0;
}

// Solves a x = b in place by Gaussian elimination with partial pivoting;
// false where a is singular to working precision.
bool Solve(std::vector<Complex>& a, std::vector<Complex>& b, std::size_t n)
{
    // Squared magnitudes throughout: std::abs's care against overflow costs a
    // fifth of reading a Z file, and matrices of a file are far from overflow.
    double scale = 0.0;
    for (const Complex& value : a)
        scale = std::max(scale, std::norm(value));
    const double tiny = scale * 1e-24;  // a pivot below 1e-12 of the largest entry
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pivot = k;
        for (std::size_t r = k + 1; r < n; ++r)
            if (std::norm(a[r * n + k]) > std::norm(a[pivot * n + k]))
                pivot = r;
        if (!(std::norm(a[pivot * n + k]) > tiny))
            return false;
        if (pivot != k) {
            for (std::size_t c = 0; c < n; ++c)
                std::swap(a[k * n + c], a[pivot * n + c]);
            std::swap(b[k], b[pivot]);
        }
        for (std::size_t r = k + 1; r < n; ++r) {
            const Complex factor = a[r * n + k] / a[k * n + k];
            for (std::size_t c = k; c < n; ++c)
                a[r * n + c] -= factor * a[k * n + c];
            b[r] -= factor * b[k];
        }
    }
    for (std::size_t k = n; k-- > 0;) {
        for (std::size_t c = k + 1; c < n; ++c)
            b[k] -= a[k * n + c] * b[c];
        b[k] /= a[k * n + k];
    }
    for (const Complex& value : b)
        if (!std::isfinite(value.real()) || !std::isfinite(value.imag()))
            return false;
    return true;
}

// The benchmark builds the reader once with std::sin and std::cos instead, to
// weigh the polynomials below against them.
#ifdef CORVALEN_PLAIN_ANGLES
constexpr bool kQuarterTurnPolynomials = false;
#else
constexpr bool kQuarterTurnPolynomials = true;
#endif

// The minimax polynomials of fdlibm's sine and cosine kernels, accurate to the
// last bit or so for |x| up to pi/4; for one double or a vector of them, which
// take the same operations in each lane.
template <typename Real>
std::pair<Real, Real> SineCosineWithinQuarterTurn(Real x)
{
    const Real z = x * x;
    const Real sine =
        x + x * z
                * (-1.66666666666666324348e-01
                   + z * (8.33333333332248946124e-03
                          + z * (-1.98412698298579493134e-04
                                 + z * (2.75573137070700676789e-06
                                        + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const Real r = z
                   * (4.16666666666666019037e-02
                      + z * (-1.38888888888741095749e-03
                             + z * (2.48015872894767294178e-05
                                    + z * (-2.75573143513906633035e-07
                                           + z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const Real half = 0.5 * z;
    const Real w = 1.0 - half;
    return {sine, w + (((1.0 - w) - half) + z * r)};
}

// Beyond this, quarter turns are no longer whole numbers in a double.
constexpr double kWholeQuarterTurns = 1e15;

// magnitude x e^(j degrees) for |degrees| below kWholeQuarterTurns, as
// (real, imaginary); Real is a double or a vector of doubles and Bits an
// unsigned integer or vector of them of the same size.
template <typename Real, typename Bits>
std::pair<Real, Real> QuarterTurns(Real magnitude, Real degrees)
{
    // The nearest whole number of quarter turns, ties to even as nearbyint
    // rounds in the default mode, without a call: below 2^51, adding 1.5 x 2^52
    // leaves no fraction to a double, whose last bits are then the number's
    // (modulo 4), and taking it away again is exact.
    constexpr double kRounder = 0x1.8p52;
    const Real shifted = degrees / 90.0 + kRounder;
    const Real quarters = shifted - kRounder;
    const Real x = (degrees - 90.0 * quarters) * (std::numbers::pi / 180.0);  // the difference is exact
    const auto [sine, cosine] = [x] {
        if constexpr (std::is_same_v<Real, double> && !kQuarterTurnPolynomials)
            return std::pair{std::sin(x), std::cos(x)};
        else
            return SineCosineWithinQuarterTurn(x);
    }();
    // The quadrant turns (cosine, sine) by a quarter at a time: an odd one
    // swaps them, and the signs change in the second and third (real part)
    // and third and fourth (imaginary part). Chosen by arithmetic, as noisy
    // angles fall in any quadrant and a branch on it would be a guess.
    const Bits quadrant = std::bit_cast<Bits>(shifted) & 3u;
    const Bits odd = 0u - (quadrant & 1u);
    const auto cosineBits = std::bit_cast<Bits>(magnitude * cosine);
    const auto sineBits = std::bit_cast<Bits>(magnitude * sine);
    const Bits real = (cosineBits & ~odd) | (sineBits & odd);
    const Bits imaginary = (sineBits & ~odd) | (cosineBits & odd);
    const Bits realSign = ((quadrant + 1u) & 2u) << 62;  // quadrants 1 and 2
    const Bits imaginarySign = (quadrant & 2u) << 62;    // quadrants 2 and 3
    return {std::bit_cast<Real>(real ^ realSign), std::bit_cast<Real>(imaginary ^ imaginarySign)};
}

// Two doubles at a time where the compiler offers vectors of them: the same
// operations in each lane, so the same values as one at a time (the benchmark
// builds the reader once without, to weigh them).
#if defined(__GNUC__) && !defined(CORVALEN_PLAIN_ANGLES) && !defined(CORVALEN_SINGLE_ANGLES)
#define CORVALEN_ANGLE_PAIRS 1
using DoublePair = double __attribute__((vector_size(16)));
using BitsPair = std::uint64_t __attribute__((vector_size(16)));
#endif

}  // namespace

void Normalize(ParameterType type, std::span<Complex> matrix, std::span<const double> referenceOhms)
{
    if (type == ParameterType::S)
        return;
    const std::size_t n = referenceOhms.size();
    // With v = V / sqrt(R) and i = I sqrt(R) at each port, a parameter from the
    // quantity of port k to that of port j scales by R_k^(d_k / 2) R_j^(d_j / 2).
    std::vector<double> factor(n);
    for (std::size_t k = 0; k < n; ++k)
        factor[k] = std::pow(referenceOhms[k], GivenQuantitySign(type, k) / 2.0);
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t k = 0; k < n; ++k)
            matrix[j * n + k] *= factor[j] * factor[k];
}

std::optional<std::vector<Complex>> ScatteringColumn(ParameterType type, std::span<const Complex> matrix,
                                                     std::size_t column)
{
    const auto n = static_cast<std::size_t>(std::lround(std::sqrt(static_cast<double>(matrix.size()))));
    if (type == ParameterType::S) {
        std::vector<Complex> s(n);
        for (std::size_t r = 0; r < n; ++r)
            s[r] = matrix[r * n + column];
        return s;
    }
    // With a = (v + i) / 2 and b = (v - i) / 2, a port's given quantity is
    // a + d b and its other one a - d b; from P x = y it follows that
    // S = D (P + I)^-1 (I - P), with D = diag(d).
    std::vector<Complex> a(matrix.begin(), matrix.end());
    std::vector<Complex> b(n);
    for (std::size_t r = 0; r < n; ++r) {
        a[r * n + r] += 1.0;
        b[r] = (r == column ? 1.0 : 0.0) - matrix[r * n + column];
    }
    if (!Solve(a, b, n))
        return std::nullopt;
    for (std::size_t r = 0; r < n; ++r)
        b[r] *= GivenQuantitySign(type, r);
    return b;
}

Complex FromPolarDegrees(double magnitude, double degrees)
{
    if (!(std::abs(degrees) < kWholeQuarterTurns)) {
        const double radians = degrees * (std::numbers::pi / 180.0);
        return {magnitude * std::cos(radians), magnitude * std::sin(radians)};
    }
    const auto [real, imaginary] = QuarterTurns<double, std::uint64_t>(magnitude, degrees);
    return {real, imaginary};
}

void FromPolarDegrees(std::span<Complex> values)
{
    std::size_t i = 0;
#ifdef CORVALEN_ANGLE_PAIRS
    for (; i + 1 < values.size(); i += 2) {
        const DoublePair magnitude{values[i].real(), values[i + 1].real()};
        const DoublePair degrees{values[i].imag(), values[i + 1].imag()};
        if (!(std::abs(degrees[0]) < kWholeQuarterTurns && std::abs(degrees[1]) < kWholeQuarterTurns))
            break;  // the rest one at a time
        const auto [real, imaginary] = QuarterTurns<DoublePair, BitsPair>(magnitude, degrees);
        values[i] = {real[0], imaginary[0]};
        values[i + 1] = {real[1], imaginary[1]};
    }
#endif
    for (; i < values.size(); ++i)
        values[i] = FromPolarDegrees(values[i].real(), values[i].imag());
}

std::optional<std::array<Complex, 4>> RenormalizedTwoPort(std::span<const Complex, 4> s,
                                                          std::span<const double, 2> fromOhms, double toOhms)
{
    // New waves from old at each port: a' = p a + q b, b' = q a + p b, with
    // p, q = (R +- R') / (2 sqrt(R R')). So S' = P (rho + S) (I + rho S)^-1 P^-1,
    // rho = q / p, which needs no impedance matrix (an ideal through has none).
    std::array<double, 2> rho{};
    std::array<double, 2> p{};
    for (std::size_t k = 0; k < 2; ++k) {
        rho[k] = (fromOhms[k] - toOhms) / (fromOhms[k] + toOhms);
        p[k] = (fromOhms[k] + toOhms) / (2.0 * std::sqrt(fromOhms[k] * toOhms));
    }
    const Complex m11 = 1.0 + rho[0] * s[0], m12 = rho[0] * s[1];
    const Complex m21 = rho[1] * s[2], m22 = 1.0 + rho[1] * s[3];
    const Complex determinant = m11 * m22 - m12 * m21;
    // Squared magnitudes, as below: a two-port's S-parameters are near 1 at
    // most, far from where std::abs's care against overflow matters.
    const double squared = std::norm(determinant);
    if (squared <= 1e-24 * std::max({std::norm(m11 * m22), std::norm(m12 * m21), 1e-300}))
        return std::nullopt;
    const Complex inverse = std::conj(determinant) / squared;
    const Complex n11 = rho[0] + s[0], n12 = s[1], n21 = s[2], n22 = rho[1] + s[3];
    // N M^-1 with M^-1 = [m22 -m12; -m21 m11] / determinant.
    std::array<Complex, 4> out{(n11 * m22 - n12 * m21) * inverse, (-n11 * m12 + n12 * m11) * inverse,
                               (n21 * m22 - n22 * m21) * inverse, (-n21 * m12 + n22 * m11) * inverse};
    out[1] *= p[0] / p[1];
    out[2] *= p[1] / p[0];
    return out;
}

}  // namespace corvalen::touchstone
