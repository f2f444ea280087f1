// SPDX-License-Identifier: MIT
// The cost of one frequency's mismatch values through a chain: what a sweep pays
// per row (limits, error, standard uncertainty) and what `mismatch` pays once
// (the coverage interval).

#include "measured/uncertainty.h"

#include <benchmark/benchmark.h>

#include <complex>
#include <vector>

namespace {

using namespace corvalen::measured;
using namespace std::complex_literals;

// An amplifier whose phases turn from row to row, as across a band.
ChainTwoPort Amplifier(std::size_t row)
{
    const std::complex<double> turn = std::polar(1.0, 0.001 * static_cast<double>(row));
    return {(0.3 - 0.2i) * turn, (2.5 + 1.5i) * turn, (0.05 + 0.02i) * turn, (-0.25 + 0.3i) * turn * turn, true};
}

const Termination kSource = PhaseUnknownTermination(0.2);
const Termination kLoad = PhaseUnknownTermination(1.0 / 3.0);

template <typename Value>
void Rows(benchmark::State& state, const Termination& source, const Termination& load,
          std::vector<ChainTwoPort> (*chain)(std::size_t), Value (*value)(const ChainMismatch&))
{
    std::size_t row = 0;
    for (auto _ : state) {
        const std::vector<ChainTwoPort> twoPorts = chain(row++);
        benchmark::DoNotOptimize(value(ChainMismatch(source, twoPorts, load)));
    }
}

std::vector<ChainTwoPort> None(std::size_t) { return {}; }
std::vector<ChainTwoPort> OneAmplifier(std::size_t row) { return {Amplifier(row)}; }
std::vector<ChainTwoPort> OnePad(std::size_t) { return {PadTwoPort({3.0, 1.3})}; }
std::vector<ChainTwoPort> TwoPads(std::size_t) { return {PadTwoPort({3.0, 1.3}), PadTwoPort({3.0, 1.3})}; }
std::vector<ChainTwoPort> PadAndAmplifier(std::size_t row) { return {PadTwoPort({3.0, 1.3}), Amplifier(row)}; }
std::vector<ChainTwoPort> TwoAmplifiers(std::size_t row) { return {Amplifier(row), Amplifier(row + 1)}; }

std::optional<double> Standard(const ChainMismatch& m) { return m.StandardUncertaintyDb(); }
std::optional<CoverageIntervalDb> Coverage(const ChainMismatch& m) { return m.CoverageDb(0.95); }
double RowOfMeasured(const ChainMismatch& m) { return m.LimitsDb().plusDb + m.ErrorDb().value_or(0.0); }

const Termination kMeasuredSource = MeasuredTermination(0.1 - 0.17i);
const Termination kMeasuredLoad = MeasuredTermination(-0.3 + 0.1i);

BENCHMARK_CAPTURE(Rows, StandardDirect, kSource, kLoad, None, Standard);
BENCHMARK_CAPTURE(Rows, StandardAmplifierFixedSides, kSource, kLoad, OneAmplifier, Standard);
BENCHMARK_CAPTURE(Rows, StandardAmplifierSourceMeasured, kMeasuredSource, kLoad, OneAmplifier, Standard);
BENCHMARK_CAPTURE(Rows, LimitsAndErrorTwoAmplifiersMeasured, kMeasuredSource, kMeasuredLoad, TwoAmplifiers, RowOfMeasured);
BENCHMARK_CAPTURE(Rows, StandardPadFixedSides, kSource, kLoad, OnePad, Standard);
BENCHMARK_CAPTURE(Rows, StandardPadMeasuredSides, kMeasuredSource, kMeasuredLoad, OnePad, Standard);
BENCHMARK_CAPTURE(Rows, StandardTwoPads, kSource, kLoad, TwoPads, Standard);
BENCHMARK_CAPTURE(Rows, StandardPadAndAmplifier, kSource, kLoad, PadAndAmplifier, Standard);
BENCHMARK_CAPTURE(Rows, CoverageDirect, kSource, kLoad, None, Coverage);
BENCHMARK_CAPTURE(Rows, CoverageAmplifierFixedSides, kSource, kLoad, OneAmplifier, Coverage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rows, CoveragePadFixedSides, kSource, kLoad, OnePad, Coverage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rows, CoverageTwoPads, kSource, kLoad, TwoPads, Coverage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
