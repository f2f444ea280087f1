// SPDX-License-Identifier: MIT
#pragma once

// The module's one refusal, raised in Python as corvalen.Error (a ValueError)
// with the file, line and message that corvalen-cli prints.

#include "module_error.h"

#include <pybind11/pybind11.h>

namespace corvalen::python {

// Defines corvalen.Error in `module` and turns the reader's and the module's
// own refusals into it, wherever they are thrown.
void RegisterError(pybind11::module_& module);

}  // namespace corvalen::python
