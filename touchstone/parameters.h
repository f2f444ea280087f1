// SPDX-License-Identifier: MIT
#pragma once

// Network parameters of one frequency turned into S-parameters, for real
// reference impedances (where power waves and pseudo-waves agree).

#include <array>
#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvalen::touchstone {

enum class ParameterType { S, Y, Z, H, G };  // in the order of "syzhg" below

using Complex = std::complex<double>;

// "s", "y", "z", "h" or "g", as messages name the parameters.
inline std::string TypeName(ParameterType type) { return std::string(1, "syzhg"[static_cast<int>(type)]); }

// magnitude x e^(j degrees), as Touchstone's MA and DB formats give a value.
// Whole quarter turns come off exactly in degrees, so 90 and 180 degrees give
// exact zeros, and what is left is within 45 degrees, where short polynomials
// are accurate to the last bit or so, at a part of std::sin and std::cos's cost.
Complex FromPolarDegrees(double magnitude, double degrees);
// The same for each of `values`, given as (magnitude, degrees), in place: a
// whole file's values at once, where the processor turns two at a time.
void FromPolarDegrees(std::span<Complex> values);

// Z, Y, H or G divided by the references the way Touchstone 1 normalises them
// (z = Z / sqrt(Ri Rj), y = Y sqrt(Ri Rj), h11 / R1, h22 R2, and so on), in
// place; `matrix` is n x n, row-major.
void Normalize(ParameterType type, std::span<Complex> matrix, std::span<const double> referenceOhms);

// Column `column` of the S-matrix of a normalised matrix (row-major, n x n),
// or nothing where the conversion has no value (a singular matrix).
// For S the column is taken as it stands.
std::optional<std::vector<Complex>> ScatteringColumn(ParameterType type, std::span<const Complex> matrix,
                                                     std::size_t column);

// A two-port's S-matrix (row-major) referred from the references `fromOhms`
// to `toOhms` at both ports, or nothing where that has no value.
std::optional<std::array<Complex, 4>> RenormalizedTwoPort(std::span<const Complex, 4> s,
                                                          std::span<const double, 2> fromOhms, double toOhms);

}  // namespace corvalen::touchstone
