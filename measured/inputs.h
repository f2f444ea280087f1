// SPDX-License-Identifier: MIT
#pragma once

// What a user gives the engine, before anything is read: plain values, small
// enough for argument parsing to hold.

#include "values.h"

#include <string>
#include <variant>
#include <vector>

namespace corvalen::measured {

// A reflection of a Touchstone file: `choice` is empty for a one-port file,
// else Skk or a mixed-mode label (D1,2).
struct ReflectionFile {
    std::string path;
    std::string choice;
};

// SOURCE or LOAD: a fixed value with its phase unknown, or a reflection measured across frequency.
struct SideInput {
    std::string name;  // as the user gave it, for messages and titles
    std::variant<SideValues, ReflectionFile> value;
};

// A two-port between source and load: a pad known by loss and VSWR, or the path of a two-port file.
struct TwoPortInput {
    std::string name;  // as the user gave it
    std::variant<Pad, std::string> value;
    bool reversed = false;  // a file's port 2 faces the source
};

struct BenchInput {
    SideInput source;
    SideInput load;
    std::vector<TwoPortInput> chain;  // in order from the source, port 1 facing it
    double systemOhms = 50.0;
};

}  // namespace corvalen::measured
