// SPDX-License-Identifier: MIT
#pragma once

// The forms of the values corvalen-cli takes and Corvalen Sweep's inputs
// accept, read the same in every locale: a number is ASCII digits with an
// optional point and decimals. A refusal says what is wrong with the value given.

#include "calc/mismatch.h"
#include "measured/inputs.h"
#include "measuredtext/messages.h"

#include <optional>
#include <string_view>
#include <variant>

namespace corvalen::measuredtext {

// A plain decimal such as 1.5, 75 or 001.50, or nothing for any other text
// (signs, exponents, commas, a bare point).
std::optional<double> ParseDecimal(std::string_view text);

// The bar position of a VSWR written like 1.5, 2 or 4.99, or nothing if the
// text is not such a number or lies outside 1.00..5.00.
std::optional<BarValue> ParseVswr(std::string_view text);

struct BarRange {
    BarValue from = kBarMin;
    BarValue to = kBarMax;
};

// FROM:TO with FROM not above TO.
std::optional<BarRange> ParseBarRange(std::string_view text);

// A value with its phase unknown: 1.5 or vswr=1.5 (at least 1), rl=23 (return
// loss in dB, at least 0) or gamma=0.07 (|G| from 0 to 1). Nothing when the
// text is neither a number nor one of these forms (it may be a file); an
// error naming `role` for a bad value.
std::optional<std::variant<measured::SideValues, InputError>> ParseFixedValue(std::string_view role,
                                                                              std::string_view text);

// --through: loss=DB,vswr=V in either order, else the path of a two-port file.
std::variant<measured::TwoPortInput, InputError> ParseTwoPort(std::string_view text);

// --z0: an impedance in ohms above 0.
std::variant<double, InputError> ParseOhms(std::string_view text);

// --coverage: a probability in percent, above 0 and below 100.
std::variant<double, InputError> ParseCoverage(std::string_view text);

// A frequency: a plain decimal with an optional unit (Hz, kHz, MHz, GHz, any
// case, blanks before it allowed), hertz without one; nothing for any other text.
std::optional<double> ParseFrequencyHz(std::string_view text);

// Whether the bench has a measured side or two-port, and so a sweep across
// frequency rather than one-off values.
bool HasFile(const measured::BenchInput& bench);

}  // namespace corvalen::measuredtext
