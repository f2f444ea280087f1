// SPDX-License-Identifier: MIT
#pragma once

// The exact texts of the output labels, prefix and unit included.

#include "mismatch.h"

#include <array>
#include <string>
#include <string_view>

namespace corvalen {

enum class Pattern {
    TwoDecimals,    // "#0.00": VSWRs, return losses, mismatch loss
    ThreeDecimals,  // "0.000": uncertainty limits and gammas
};

inline constexpr std::string_view kPointMark = ".";

// Rounds the shortest decimal text that reads back as the same float, with
// ties away from zero: 3.125 prints 3.13 and 1.51499998 (shortest 1.515) prints
// 1.52, as a user rounding the value by hand expects. A value that prints as
// zero carries no minus sign. The decimal mark may be several bytes (UTF-8).
// Throws std::domain_error for infinities and NaN, which no result reaches.
std::string FormatFixed(float x, Pattern pattern, std::string_view decimalMark = kPointMark);

std::string VswrText(float vswr, std::string_view decimalMark = kPointMark);

// Side return losses above this print as a fixed text instead of a number.
inline constexpr float kReturnLossCeilingDb = 70.0f;
std::string ReturnLossText(float returnLossDb, std::string_view decimalMark = kPointMark);

// The eleven output label texts.
struct OutputTexts {
    std::string vswr1;
    std::string returnLoss1;
    std::string vswr2;
    std::string returnLoss2;
    std::string mismatchLoss;
    std::string maxVswr;
    std::string totalReturnLoss;
    std::string plusMismatch;
    std::string minusMismatch;
    std::string gamma1;
    std::string gamma2;
};

// Which change handling writes a label: the source bar's, the load bar's, or
// the combined update that both run after their own side.
enum class OutputGroup { Source, Load, Combined };

struct OutputLabel {
    std::string_view name;  // the label's object name
    OutputGroup group;
    std::string OutputTexts::*text;
};

// The output labels in the order of the command-line table's columns.
inline constexpr std::array<OutputLabel, 11> kOutputLabels{{
    {"lblVSWR1", OutputGroup::Source, &OutputTexts::vswr1},
    {"lblRL1", OutputGroup::Source, &OutputTexts::returnLoss1},
    {"lblVSWR2", OutputGroup::Load, &OutputTexts::vswr2},
    {"lblRL2", OutputGroup::Load, &OutputTexts::returnLoss2},
    {"lblMismatchLoss", OutputGroup::Load, &OutputTexts::mismatchLoss},
    {"lblMaxVSWR", OutputGroup::Combined, &OutputTexts::maxVswr},
    {"lblTotalReturnLoss", OutputGroup::Combined, &OutputTexts::totalReturnLoss},
    {"lblPlusMisMatch", OutputGroup::Combined, &OutputTexts::plusMismatch},
    {"lblMinusMisMatch", OutputGroup::Combined, &OutputTexts::minusMismatch},
    {"lblGamma1", OutputGroup::Combined, &OutputTexts::gamma1},
    {"lblGamma2", OutputGroup::Combined, &OutputTexts::gamma2},
}};

// Each group's texts; the other labels' texts stay empty.
OutputTexts SourceSideTexts(BarValue bar1, std::string_view decimalMark = kPointMark);
OutputTexts LoadSideTexts(BarValue bar2, std::string_view decimalMark = kPointMark);
OutputTexts CombinedResultTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark = kPointMark);

// All eleven texts.
OutputTexts ComputeOutputTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark = kPointMark);

}  // namespace corvalen
