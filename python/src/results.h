// SPDX-License-Identifier: MIT
#pragma once

// The engine's and the reader's answers as Python values: numpy arrays that
// take over the memory they were computed in, and dicts under the keys of
// corvalen-cli's JSON and table.

#include "measured/sweep.h"
#include "measured/worst_case.h"

#include <pybind11/pybind11.h>

#include <memory>

namespace corvalen::python {

// frequency_hz, s, z0, ports, parameter, format, version, mixed_mode, warnings.
pybind11::dict NetworkDict(touchstone::Network network);

// Every column of the sweep's table, NaN where the table leaves a cell empty.
struct SweepColumns;
struct SweepAnswer {
    std::shared_ptr<SweepColumns> columns;
    touchstone::Warnings notes;  // what corvalen-cli says on stderr, without its name
};
// Runs the sweep over `band`; needs no lock.
SweepAnswer RunSweep(const measured::Bench& bench, measured::Band band);
pybind11::dict ColumnsDict(SweepAnswer answer);

// The keys and values of `corvalen-cli mismatch --format json`: None where it
// prints null for a value that is not there, an infinity where it prints null for one.
pybind11::dict OneOffDict(const measured::OneOffValues& oneOff, double coverageProbability);

}  // namespace corvalen::python
