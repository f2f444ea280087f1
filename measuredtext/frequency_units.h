// SPDX-License-Identifier: MIT
#pragma once

// The units of frequency: a file's option line names one, the band's ends are
// typed in them, and the charts and the readout show a frequency in the largest
// that is not above it. Header only and with no dependency, so that the reader,
// which lies below this library, and the plot, which does not link it, read
// the same table.

#include <string_view>

namespace corvalen::measuredtext {

struct FrequencyUnit {
    std::string_view name;  // as shown: "GHz"
    int exponent;           // of ten: 9
    double hertz;           // 1e9
};

// Ascending.
inline constexpr FrequencyUnit kFrequencyUnits[] = {
    {"Hz", 0, 1.0}, {"kHz", 3, 1e3}, {"MHz", 6, 1e6}, {"GHz", 9, 1e9}};

// The unit of that name in any case ("ghz", "GHZ"), or null.
constexpr const FrequencyUnit* FindFrequencyUnit(std::string_view name)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const FrequencyUnit& unit : kFrequencyUnits) {
        bool same = unit.name.size() == name.size();
        for (std::size_t i = 0; same && i < name.size(); ++i)
            same = lower(unit.name[i]) == lower(name[i]);
        if (same)
            return &unit;
    }
    return nullptr;
}

// The largest unit not above the frequency; hertz below 1 kHz.
constexpr const FrequencyUnit& UnitFor(double hertz)
{
    const FrequencyUnit* chosen = &kFrequencyUnits[0];
    for (const FrequencyUnit& unit : kFrequencyUnits)
        if (hertz >= unit.hertz)
            chosen = &unit;
    return *chosen;
}

}  // namespace corvalen::measuredtext
