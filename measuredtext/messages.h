// SPDX-License-Identifier: MIT
#pragma once

// The one-line messages about values typed or given on a command line, shown
// safely whatever they quote. They name no program: each program adds its own
// name when it prints them, the window none.

#include <string>
#include <string_view>

namespace corvalen::measuredtext {

// One line naming the value at fault and what is accepted.
struct InputError {
    std::string message;
};

// "SUBJECT: WHAT".
InputError Error(std::string_view subject, std::string_view what);

// NAME 'value', quoted so that an empty or blank value still shows, shown
// safely and cut when long.
std::string Quoted(std::string_view name, std::string_view value);

// The text with control characters escaped (\n, \t, \x1b, ...), so that it
// shows as one line and never reaches the terminal as a command.
std::string Printable(std::string_view text);

}  // namespace corvalen::measuredtext
