// SPDX-License-Identifier: MIT
#include "worst_case.h"

#include "quantities.h"

#include <cmath>

namespace corvalen::measured {
namespace {

double LimitsWidthDb(const RowValues& row)
{
    return row.through ? row.through->plusUncertaintyDb - row.through->minusUncertaintyDb
                       : row.plusUncertaintyDb - row.minusUncertaintyDb;
}

std::optional<double> ErrorDb(const RowValues& row)
{
    return row.through ? row.through->mismatchErrorDb : row.mismatchErrorDb;
}

}  // namespace

WorstCase FindWorstCase(const Sweep& sweep, Band band)
{
    WorstCase worst;
    sweep.Run(
        [&worst](std::span<const RowValues> rows) {
            for (const RowValues& row : rows) {
                if (!worst.widestLimits || LimitsWidthDb(row) > LimitsWidthDb(*worst.widestLimits))
                    worst.widestLimits = row;
                const std::optional<double> error = ErrorDb(row);
                if (error && (!worst.largestError || std::abs(*error) > std::abs(*ErrorDb(*worst.largestError))))
                    worst.largestError = row;
            }
        },
        band);
    return worst;
}

OneOffValues ComputeOneOff(const BenchInput& input)
{
    const Bench bench = ReadBench(input);
    const auto& source = std::get<SideValues>(bench.source.value);
    const auto& load = std::get<SideValues>(bench.load.value);
    const TwoPort* file = bench.chain.empty() ? nullptr : bench.chain.front().Measured();
    if (!file) {
        OneOffValues values{ComputeRow(0.0, source, load, std::nullopt, std::nullopt), std::nullopt, {}};
        if (!bench.chain.empty())
            values.pair.through = ComputeThrough(source.gammaMagnitude, load.gammaMagnitude, std::nullopt,
                                                 std::nullopt, PadPoint(std::get<Pad>(bench.chain.front().value)));
        return values;
    }
    return {FindWorstCase(Sweep(bench)).widestLimits.value(), file->frequencyHz.size(), bench.Warnings()};
}

}  // namespace corvalen::measured
