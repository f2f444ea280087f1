// SPDX-License-Identifier: MIT
#pragma once

// The mismatch of a source and a load through a chain of two-ports, at one
// frequency: limits from the magnitudes, the exact error where every phase is
// measured, and, where some phase is unknown (uniform and independent of the
// others), the standard deviation of the error and its coverage interval.
//
// The error is 20 log10 |D|: the power reaching the load falls by |D|^2 against
// every junction matched, each two-port taken at its own transmission, and
// consecutive measured two-ports at the transmission of their cascade. With
// Gamma_k the reflection looking into element k toward the load (Gamma_(n+1) = GL),
// D = (1 - Gs Gamma_1) x product over k of (1 - S22_k Gamma_(k+1)); for one
// two-port D = (1 - Gs S11)(1 - S22 GL) - S21 S12 Gs GL, for none 1 - Gs GL.
// docs/uncertainty.md derives what follows.

#include "values.h"

#include <array>
#include <complex>
#include <cstddef>
#include <memory_resource>
#include <optional>
#include <span>
#include <vector>

namespace corvalen::measured {

class PadAverages;  // chain_walk.h

// A source's or load's reflection; gamma only where its phase is measured.
struct Termination {
    double gammaMagnitude;
    std::optional<std::complex<double>> gamma;
};
Termination MeasuredTermination(std::complex<double> gamma);
Termination PhaseUnknownTermination(double gammaMagnitude);

// A two-port at one frequency, port 1 toward the source. Where its phases are
// unknown only the magnitudes count, each phase uniform and independent.
struct ChainTwoPort {
    std::complex<double> s11, s21, s12, s22;
    bool phaseKnown;
};
// A pad or cable known by its loss and both ports' VSWR: |S21| = |S12| = 10^(-lossDb / 20),
// |S11| = |S22| = (vswr - 1) / (vswr + 1), phases unknown.
ChainTwoPort PadTwoPort(const Pad& pad);

// An element of the chain: a run of consecutive measured two-ports cascaded
// into one, or one two-port of unknown phases.
struct ChainElement {
    std::complex<double> s11, s21s12, s22;
    bool phaseKnown;
};

struct ErrorLimitsDb {
    double plusDb;
    double minusDb;  // minus infinity where the lower bound on |D| is not positive
};

struct CoverageIntervalDb {
    double lowDb;
    double highDb;
};

// Made once per frequency: a chain of a few two-ports takes no memory beyond
// its own, and values with no phase to average over are closed forms.
class ChainMismatch {
public:
    // With `padAverages`, pads' averages made once for a sweep's rows, reused
    // for the pads they hold; they must outlive this.
    ChainMismatch(const Termination& source, std::span<const ChainTwoPort> chain, const Termination& load,
                  std::span<const PadAverages> padAverages = {});
    ChainMismatch(const ChainMismatch&) = delete;
    ChainMismatch& operator=(const ChainMismatch&) = delete;

    // Never narrower than the extremes over every phase; for one two-port
    // 20 log10((1 + a)(1 + b) + c) and 20 log10((1 - a)(1 - b) - c) with
    // a = |Gs S11|, b = |S22 GL|, c = |S21 S12 Gs GL|; for none 20 log10(1 +- |Gs||GL|).
    ErrorLimitsDb LimitsDb() const;
    // Only where every phase is measured.
    std::optional<double> ErrorDb() const;
    // The standard deviation of the error, to well under 1e-6 dB; only where some phase is
    // unknown, and not through a chain of more than four unknown phases whose loops can vanish.
    std::optional<double> StandardUncertaintyDb() const;
    // The (1 - probability) / 2 and (1 + probability) / 2 quantiles of the error, to a
    // few 1e-5 dB (0 < probability < 1); only where some phase is unknown, and not
    // where the standard uncertainty is not or the law would take over a second.
    std::optional<CoverageIntervalDb> CoverageDb(double probability) const;
    // About how long StandardUncertaintyDb takes, in nanoseconds, for a sweep to
    // weigh its rows before it computes them: the walk's estimate; the grid's,
    // which stops as soon as it has settled, is not weighed.
    double StandardUncertaintyWorkNs() const;

private:
    Termination source_;
    Termination load_;
    std::span<const PadAverages> padAverages_;
    std::array<std::byte, 8 * sizeof(ChainElement)> elementRoom_;
    std::pmr::monotonic_buffer_resource elementMemory_{elementRoom_.data(), elementRoom_.size()};
    std::pmr::vector<ChainElement> elements_{&elementMemory_};
    bool somePhaseUnknown_ = false;
    std::size_t innerJunction_ = 0;  // where the innermost unknown phase is taken
    int outerPhases_ = 0;            // the unknown phases averaged on a grid, all but that one
};

}  // namespace corvalen::measured
