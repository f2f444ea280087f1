// SPDX-License-Identifier: MIT
#pragma once

// A source, the two-ports between and a load, as read from their files.

#include "inputs.h"
#include "touchstone/touchstone.h"

#include <string>
#include <variant>
#include <vector>

namespace corvalen::measured {

// What the reader gives, which the engine works on.
using touchstone::FrequencyText;
using touchstone::MeasuredError;
using touchstone::Reflection;
using touchstone::Series;
using touchstone::TwoPort;

struct Side {
    std::string name;
    std::variant<SideValues, Reflection> value;

    const Reflection* Measured() const { return std::get_if<Reflection>(&value); }
};

struct Through {
    std::string name;
    std::variant<Pad, TwoPort> value;

    const TwoPort* Measured() const { return std::get_if<TwoPort>(&value); }
};

struct Bench {
    Side source;
    Side load;
    std::vector<Through> chain;  // in order from the source

    // What the files lacked that could be done without, in the order source, load, chain.
    touchstone::Warnings Warnings() const;
};

// The two-port turned round, port 2 facing the source: S11 and S22 trade
// places, as do S21 and S12 and the ports' references; the values of the file
// written with its ports swapped.
TwoPort Reversed(TwoPort twoPort);

// Reads one side or one element of the chain, referred to systemOhms; a
// fixed value or a pad is taken as it is, a two-port file turned round if its
// input says so. Throws MeasuredError naming the file.
// With `progress`, the bytes read are counted there and the read may be
// stopped (touchstone::ReadCancelled).
Side ReadSide(const SideInput& side, double systemOhms, touchstone::ReadProgress* progress = nullptr);
Through ReadThrough(const TwoPortInput& through, double systemOhms, touchstone::ReadProgress* progress = nullptr);

// Reads every file of the input, each referred to its system impedance.
// Throws MeasuredError for the first that cannot be read, in the order
// source, load, then the chain. With `progress`, the bytes of all files are
// counted there and the read may be stopped (touchstone::ReadCancelled).
Bench ReadBench(const BenchInput& input, touchstone::ReadProgress* progress = nullptr);

}  // namespace corvalen::measured
