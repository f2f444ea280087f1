// SPDX-License-Identifier: MIT
#pragma once

// The lines corvalen-cli writes on stderr, each after the program's name: the
// library's messages name no program.

#include "measuredtext/messages.h"

#include <string>

namespace corvalen::cli {

// A command line refused: the whole line for stderr, "corvalen-cli: SUBJECT: WHAT".
struct UsageError {
    std::string message;
};
UsageError Refused(const measuredtext::InputError& error);

// One line on stderr, "corvalen-cli: text", with control characters escaped.
void Note(const std::string& text);

}  // namespace corvalen::cli
