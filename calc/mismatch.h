// SPDX-License-Identifier: MIT
#pragma once

// The mismatch arithmetic. Every real quantity is a 32-bit float; the places
// where a result is rounded to float are part of the result and are marked
// with Single(...) in the implementation. Everything in between runs in double.

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace corvalen {

// Position of a VSWR bar: the VSWR times 100.
using BarValue = std::int16_t;

// A bar position p stands for VSWR p / kPositionsPerVswr.
inline constexpr double kPositionsPerVswr = 100.0;
inline constexpr BarValue kBarMin = 100;  // VSWR 1.00
inline constexpr BarValue kBarMax = 500;  // VSWR 5.00

// Thrown by every entry point that takes a bar position outside kBarMin..kBarMax.
class BarOutOfRange : public std::out_of_range {
public:
    explicit BarOutOfRange(int bar);
    int bar() const noexcept { return bar_; }

private:
    int bar_;
};

constexpr bool IsValidBar(int bar) noexcept { return bar >= kBarMin && bar <= kBarMax; }

// Base-10 logarithm with a floor of -100 for arguments that are not positive,
// so a vanishing gamma gives a return loss of 2000 dB instead of a fault.
float Log10(float x) noexcept;

// The VSWR a bar stands for, as shown on its readout.
float BarToVswr(BarValue bar);

// The side's reflection coefficient magnitude, from the unrounded quotient bar / 100.
float BarToGamma(BarValue bar);

float ReturnLossDb(float gamma) noexcept;

// The load's mismatch loss, -10 log10(1 - gamma^2), with the gamma derived
// again from the float return loss rather than taken from the side's gamma;
// the round trip through the return loss moves some printed losses.
float LoadMismatchLossDb(float returnLossDb) noexcept;

// Results of the source and load taken together.
struct CombinedResults {
    CombinedResults(BarValue bar1, BarValue bar2);

    float maxVswr;
    // Both VSWRs exactly 1.00: the pair reflects nothing and has no finite return loss.
    bool infinite;
    std::optional<float> combinedReturnLossDb;  // empty exactly when infinite
    float plusDb;
    float minusDb;   // zero or negative
    float gamma1;    // from the rounded VSWR, so it may differ from BarToGamma in the last bits
    float gamma2;
};

}  // namespace corvalen
