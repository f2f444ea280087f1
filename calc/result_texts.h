// SPDX-License-Identifier: MIT
#pragma once

// The exact texts of the output labels, prefix and unit included.

#include "mismatch.h"

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

// Side returns losses above this print as a fixed text instead of a number.
inline constexpr float kReturnLossCeilingDb = 70.0f;

std::string VswrText(float vswr, std::string_view decimalMark = kPointMark);
std::string ReturnLossText(float returnLossDb, std::string_view decimalMark = kPointMark);
std::string MismatchLossText(float mismatchLossDb, std::string_view decimalMark = kPointMark);
std::string MaxVswrText(const CombinedResults& combined, std::string_view decimalMark = kPointMark);
std::string TotalReturnLossText(const CombinedResults& combined, std::string_view decimalMark = kPointMark);
std::string PlusMismatchText(const CombinedResults& combined, std::string_view decimalMark = kPointMark);
std::string MinusMismatchText(const CombinedResults& combined, std::string_view decimalMark = kPointMark);
std::string Gamma1Text(const CombinedResults& combined, std::string_view decimalMark = kPointMark);
std::string Gamma2Text(const CombinedResults& combined, std::string_view decimalMark = kPointMark);

// What the source bar's change writes: lblRL1 and lblVSWR1.
struct SourceTexts {
    std::string returnLoss;
    std::string vswr;
};
SourceTexts SourceSideTexts(BarValue bar1, std::string_view decimalMark = kPointMark);

// What the load bar's change writes: lblRL2, lblMismatchLoss and lblVSWR2.
struct LoadTexts {
    std::string returnLoss;
    std::string mismatchLoss;
    std::string vswr;
};
LoadTexts LoadSideTexts(BarValue bar2, std::string_view decimalMark = kPointMark);

// What the combined update writes, in its order of writing.
struct CombinedTexts {
    std::string maxVswr;          // lblMaxVSWR
    std::string totalReturnLoss;  // lblTotalReturnLoss
    std::string plusMismatch;     // lblPlusMisMatch
    std::string minusMismatch;    // lblMinusMisMatch
    std::string gamma1;           // lblGamma1
    std::string gamma2;           // lblGamma2
};
CombinedTexts CombinedResultTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark = kPointMark);

// The eleven output label texts.
struct OutputTexts {
    std::string vswr1;            // lblVSWR1
    std::string returnLoss1;      // lblRL1
    std::string vswr2;            // lblVSWR2
    std::string returnLoss2;      // lblRL2
    std::string mismatchLoss;     // lblMismatchLoss
    std::string maxVswr;          // lblMaxVSWR
    std::string totalReturnLoss;  // lblTotalReturnLoss
    std::string plusMismatch;     // lblPlusMisMatch
    std::string minusMismatch;    // lblMinusMisMatch
    std::string gamma1;           // lblGamma1
    std::string gamma2;           // lblGamma2
};
OutputTexts ComputeOutputTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark = kPointMark);

}  // namespace corvalen
