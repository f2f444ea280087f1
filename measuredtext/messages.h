// SPDX-License-Identifier: MIT
#pragma once

// The one-line messages of corvalen-cli, shown safely whatever they quote.

#include <string>
#include <string_view>

namespace corvalen::cli {

// One line for stderr, naming the argument and what is accepted.
struct UsageError {
    std::string message;
};

// "corvalen-cli: SUBJECT: WHAT".
UsageError Error(std::string_view subject, std::string_view what);

// NAME 'value', quoted so that an empty or blank value still shows, shown
// safely and cut when long.
std::string Quoted(std::string_view name, std::string_view value);

// The text with control characters escaped (\n, \t, \x1b, ...), so that it
// shows as one line and never reaches the terminal as a command.
std::string Printable(std::string_view text);

// One line on stderr, "corvalen-cli: text", with control characters escaped.
void Note(const std::string& text);

}  // namespace corvalen::cli
