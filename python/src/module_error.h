// SPDX-License-Identifier: MIT
#pragma once

// The module's own refusal of an input, raised in Python as corvalen.Error.

#include <stdexcept>
#include <string>

namespace corvalen::python {

class ModuleError : public std::runtime_error {
public:
    // `message` says what is wrong with what, such as "source '1.5x': not a number".
    explicit ModuleError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace corvalen::python
