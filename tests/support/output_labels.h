// SPDX-License-Identifier: MIT
#pragma once

// The eleven output labels and the text each one shows, in the order of the
// command-line table's columns.

#include "result_texts.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace test_support {

struct OutputLabel {
    const char* name;
    std::string corvalen::OutputTexts::*text;
};

inline constexpr std::array<OutputLabel, 11> kOutputLabels{{
    {"lblVSWR1", &corvalen::OutputTexts::vswr1},
    {"lblRL1", &corvalen::OutputTexts::returnLoss1},
    {"lblVSWR2", &corvalen::OutputTexts::vswr2},
    {"lblRL2", &corvalen::OutputTexts::returnLoss2},
    {"lblMismatchLoss", &corvalen::OutputTexts::mismatchLoss},
    {"lblMaxVSWR", &corvalen::OutputTexts::maxVswr},
    {"lblTotalReturnLoss", &corvalen::OutputTexts::totalReturnLoss},
    {"lblPlusMisMatch", &corvalen::OutputTexts::plusMismatch},
    {"lblMinusMisMatch", &corvalen::OutputTexts::minusMismatch},
    {"lblGamma1", &corvalen::OutputTexts::gamma1},
    {"lblGamma2", &corvalen::OutputTexts::gamma2},
}};

inline const std::string& TextOf(const corvalen::OutputTexts& texts, std::string_view label)
{
    for (const OutputLabel& output : kOutputLabels) {
        if (label == output.name)
            return texts.*output.text;
    }
    throw std::invalid_argument("no output label named " + std::string(label));
}

}  // namespace test_support
