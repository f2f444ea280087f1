// SPDX-License-Identifier: MIT
#include "worst_case.h"

#include "quantities.h"

#include <algorithm>
#include <cmath>

namespace corvalen::measured {
namespace {

const MismatchValues& Outermost(const RowValues& row)
{
    return row.through ? *row.through : row.direct;
}

double LimitsWidthDb(const RowValues& row)
{
    return Outermost(row).plusUncertaintyDb - Outermost(row).minusUncertaintyDb;
}

// The row's sides and two-ports where nothing is measured.
RowInputs FixedInputs(const Bench& bench)
{
    RowInputs inputs;
    inputs.source = std::get<SideValues>(bench.source.value);
    inputs.load = std::get<SideValues>(bench.load.value);
    for (const Through& through : bench.chain)
        inputs.chain.push_back(PadTwoPort(std::get<Pad>(through.value)));
    return inputs;
}

}  // namespace

WorstCase FindWorstCase(const Sweep& sweep, Band band)
{
    WorstCase worst;
    // Only the limits and the error decide, so the standard uncertainty is
    // left out of the search and computed for the row found.
    worst.active = sweep.Run(
        [&worst](std::span<const RowValues> rows) {
            for (const RowValues& row : rows) {
                if (!worst.widestLimits || LimitsWidthDb(row) > LimitsWidthDb(*worst.widestLimits))
                    worst.widestLimits = row;
                const std::optional<double> error = Outermost(row).mismatchErrorDb;
                if (error && (!worst.largestError || std::abs(*error) > std::abs(*Outermost(*worst.largestError).mismatchErrorDb)))
                    worst.largestError = row;
            }
        },
        band, false);
    // Where the error is measured there is no standard uncertainty to add.
    if (worst.widestLimits)
        worst.widestLimits = sweep.Rows({worst.widestLimits->frequencyHz, worst.widestLimits->frequencyHz}).front();
    return worst;
}

OneOffValues ComputeOneOff(const BenchInput& input, double coverageProbability)
{
    return ComputeOneOff(ReadBench(input), coverageProbability);
}

OneOffValues ComputeOneOff(const Bench& bench, double coverageProbability)
{
    OneOffValues oneOff{};
    RowInputs inputs;
    if (std::any_of(bench.chain.begin(), bench.chain.end(), [](const Through& t) { return t.Measured(); })) {
        const Sweep sweep(bench);
        inputs = sweep.InputsAt(FindWorstCase(sweep).widestLimits->frequencyHz);
        oneOff.rows = sweep.RowCount();
        oneOff.gridName = sweep.GridName();
        oneOff.outsideOf = sweep.OutsideOf();
        oneOff.warnings = bench.Warnings();
    } else {
        inputs = FixedInputs(bench);
    }
    oneOff.pair = ComputePair(inputs);
    oneOff.pair.direct = ComputeMismatch(inputs, {});
    oneOff.coverage = MismatchOf(inputs, {}).CoverageDb(coverageProbability);
    if (!inputs.chain.empty()) {
        oneOff.pair.through = ComputeMismatch(inputs, inputs.chain);
        oneOff.throughCoverage = MismatchOf(inputs, inputs.chain).CoverageDb(coverageProbability);
        if (!oneOff.pair.through->mismatchErrorDb && !oneOff.throughCoverage)
            oneOff.warnings.emplace_back(kBeyondReach);
    }
    return oneOff;
}

}  // namespace corvalen::measured
