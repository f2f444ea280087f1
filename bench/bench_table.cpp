// SPDX-License-Identifier: MIT
// How long computing and formatting every pair of bars takes: the whole
// window's work for all 160,801 positions, and the command-line table.

#include "calc/report.h"
#include "cli/table.h"

#include <benchmark/benchmark.h>

namespace {

using namespace corvalen;

// Every output text of every pair, each from scratch as the window does it.
void AllPairsOutputTexts(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
            for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
                const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
                bytes += texts.minusMismatch.size();
                benchmark::DoNotOptimize(texts);
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * 401 * 401);
}
BENCHMARK(AllPairsOutputTexts)->Unit(benchmark::kMillisecond);

// The same plus the clipboard report of every pair.
void AllPairsReports(benchmark::State& state)
{
    for (auto _ : state) {
        for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
            for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
                const std::string report =
                    BuildReport(ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2)));
                benchmark::DoNotOptimize(report);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 401 * 401);
}
BENCHMARK(AllPairsReports)->Unit(benchmark::kMillisecond);

// corvalen-cli table without the final write to stdout.
void WholeTable(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t bytes = 0;
        cli::WriteTable(cli::TableCommand{}, [&bytes](std::string_view chunk) { bytes += chunk.size(); });
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * 401 * 401);
}
BENCHMARK(WholeTable)->Unit(benchmark::kMillisecond);

// One bar step in the window: one side's texts plus the combined texts.
void OneBarStep(benchmark::State& state)
{
    BarValue bar2 = kBarMin;
    for (auto _ : state) {
        bar2 = bar2 == kBarMax ? kBarMin : static_cast<BarValue>(bar2 + 1);
        const OutputTexts load = LoadSideTexts(bar2);
        const OutputTexts combined = CombinedResultTexts(150, bar2);
        benchmark::DoNotOptimize(load);
        benchmark::DoNotOptimize(combined);
    }
}
BENCHMARK(OneBarStep);

}  // namespace

BENCHMARK_MAIN();
