// SPDX-License-Identifier: MIT
#pragma once

// Arrays handed in from Python, checked and copied into the engine's series:
// each refusal names the argument and what is wrong with it.

#include "touchstone/series.h"

#include <pybind11/pybind11.h>

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

namespace corvalen::python {

// Finite, not negative and strictly ascending, of real numbers.
touchstone::Series<double> FrequencyArray(pybind11::handle object, const std::string& subject);

// Complex (or real) numbers of the given shape, flattened in C order.
touchstone::Series<std::complex<double>> ComplexArray(pybind11::handle object, const std::string& subject,
                                                      const std::vector<std::size_t>& shape);

// scikit-rf's z0: one value, one per port, or one per frequency and port;
// each real and above 0. Returned as points x ports.
std::vector<double> ReferenceArray(pybind11::handle object, const std::string& subject, std::size_t points,
                                   std::size_t ports);

}  // namespace corvalen::python
