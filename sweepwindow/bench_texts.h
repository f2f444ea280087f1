// SPDX-License-Identifier: MIT
#pragma once

// The window's inputs as the user typed them, read with corvalen-cli's forms,
// and the program's command line, which is the CLI's sweep grammar.

#include "measured/inputs.h"
#include "measured/sweep.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace corvalen::sweepwindow {

struct InputTexts {
    std::string source;
    std::string twoPort;  // empty: nothing between source and load
    std::string load;
    std::string z0Ohms = "50";
};

enum class InputField { Source, TwoPort, Load, Z0 };

// What keeps the inputs from a result: a bad value (one line, without the
// CLI's program name) or, with an empty message, an input still empty.
struct InputProblem {
    InputField field;
    std::string message;
};

std::variant<measured::BenchInput, InputProblem> ReadInputTexts(const InputTexts& texts);

// A band's ends as typed: "1.2 GHz", "800 MHz", "2.4e9" is not a form; a
// plain decimal with an optional unit (Hz, kHz, MHz, GHz, any case), hertz
// without one. An empty end is open. A refusal is one line.
std::variant<measured::Band, std::string> ReadBand(const std::string& fromText, const std::string& toText);

// Whether the bench has a measured side or two-port, and so a sweep rather than one-off values.
bool HasFile(const measured::BenchInput& bench);

// `corvalen-sweep [SOURCE [LOAD]] [--through TWO-PORT] [--z0 OHMS]`, the
// arguments after the program name; nothing set is left empty. A refusal is one line.
struct CommandLine {
    InputTexts texts;
    bool help = false;
    bool version = false;
};
std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace corvalen::sweepwindow
