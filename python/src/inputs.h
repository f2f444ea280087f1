// SPDX-License-Identifier: MIT
#pragma once

// What a caller hands the engine, turned into the engine's own inputs while
// Python's lock is held: value forms and file names as text, to be read later
// without the lock; data in memory copied and checked at once.

#include "measured/bench.h"
#include "text_forms.h"

#include <pybind11/pybind11.h>

#include <string>
#include <variant>
#include <vector>

namespace corvalen::python {

// A side given as a form or file, or already in memory.
using PendingSide = std::variant<measured::SideInput, measured::Side>;

// A two-port given as a form or file, or already in memory.
using PendingFile = measured::TwoPortInput;
using PendingThrough = std::variant<PendingFile, measured::Through>;

struct PendingBench {
    PendingSide source;
    PendingSide load;
    std::vector<PendingThrough> chain;
    double systemOhms = 50.0;
};

// Takes `source`, `load` and `through` (a sequence of two-ports, or one) as
// the functions' docstrings describe; data in memory is referred from its own
// reference impedance to systemOhms. Throws ModuleError for what cannot be used.
PendingBench TakeBench(pybind11::handle source, pybind11::handle load, pybind11::handle through, double systemOhms);

// Reads the files of the bench; needs no lock. Throws MeasuredError.
measured::Bench ReadPending(PendingBench pending);

}  // namespace corvalen::python
