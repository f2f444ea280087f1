// SPDX-License-Identifier: MIT
#pragma once

// The window's inputs as the user typed them, read with the value forms that
// corvalen-cli takes too, and the program's command line, which is the CLI's sweep grammar.

#include "measured/inputs.h"
#include "measured/sweep.h"

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace corvalen::sweepwindow {

// An element of the chain as typed: a two-port file or loss=DB,vswr=V, an
// empty text holding nothing; reversed, a file's port 2 faces the source.
struct TwoPortText {
    std::string text;
    bool reversed = false;
};

struct InputTexts {
    std::string source;
    std::vector<TwoPortText> chain;  // in order from the source
    std::string load;
    std::string z0Ohms = "50";
};

enum class InputField { Source, TwoPort, Load, Z0 };

// What keeps the inputs from a result: a bad value (one line) or, with an
// empty message, an input still empty.
struct InputProblem {
    InputField field;
    std::string message;
    std::size_t element = 0;  // which of the chain's texts, for a two-port
};

// The bench the texts give, its two-port files turned round where the box
// says so; for each element of its chain, the text it came from.
struct ReadTexts {
    measured::BenchInput bench;
    std::vector<std::size_t> chainTexts;
};
// Every input's problem, each marked at once; else the bench.
std::variant<ReadTexts, std::vector<InputProblem>> ReadInputTexts(const InputTexts& texts);

// A band's ends as typed: "1.2 GHz", "800 MHz", "2.4e9" is not a form; a
// plain decimal with an optional unit (Hz, kHz, MHz, GHz, any case), hertz
// without one. An empty end is open. A refusal is one line.
std::variant<measured::Band, std::string> ReadBand(const std::string& fromText, const std::string& toText);

// `corvalen-sweep [SOURCE [LOAD]] [--through TWO-PORT]... [--z0 OHMS]`, the
// arguments after the program name, --through in order from the source;
// nothing set is left empty. A refusal is one line.
struct CommandLine {
    InputTexts texts;
    bool help = false;
    bool version = false;
};
std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace corvalen::sweepwindow
