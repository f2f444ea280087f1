// SPDX-License-Identifier: MIT
#pragma once

// A large file read in two halves at once: the Touchstone reader keeps one
// core busy a byte at a time, and a whole read is all of a file's numbers.

#include "touchstone/touchstone.h"

#include <cstddef>
#include <string>

namespace corvalen::python {

// Files from this size up are worth a second thread.
inline constexpr std::size_t kHalvesFromBytes = std::size_t{1} << 20;

// touchstone::ReadNetwork(path), the same values, warnings and refusals. A
// version 1 file of one or two ports (a frequency to a line) of at least
// `halvesFromBytes` is read as two files, each its header and one half of its
// lines, on two threads; whatever the halves do not read as the whole would
// (a refusal, a warning, frequencies out of order at the seam) is read again
// whole, so that a fault is named as the plain read names it.
touchstone::Network ReadNetworkInHalves(const std::string& path, std::size_t halvesFromBytes = kHalvesFromBytes);

// Whether a second core is likely idle: the system's load over the last minute,
// this thread's own included, is below the number of cores. Where none is, the halves wait for each other's core and take
// longer than one read: the benchmark measured up to a fifth on two busy cores.
bool SecondCoreLikelyFree();

}  // namespace corvalen::python
