// SPDX-License-Identifier: MIT
#include "pictures.h"

#include "plot/plot_module.h"

#include <vector>

namespace corvalen::sweepwindow {
namespace {

// The module's interface takes a missing series as null.
const double* OrNull(const std::vector<double>& series)
{
    return series.empty() ? nullptr : series.data();
}

CorvalenSmithTrace TraceOf(const SmithPoints& points, const measured::Side& side)
{
    const auto* fixed = std::get_if<measured::SideValues>(&side.value);
    return {points.frequencyHz.size(), points.frequencyHz.data(), points.real.data(), points.imaginary.data(),
            fixed ? fixed->gammaMagnitude : 0.0, side.name.c_str()};
}

std::string Reason(int status, const char* reason)
{
    return status == 0 ? std::string() : std::string(reason);
}

}  // namespace

std::string SaveSweepPicture(const MeasuredSweep& sweep, const std::string& path)
{
    const cli::PlotSeries series = sweep.Series();
    const measured::Bench& bench = sweep.Bench();
    const std::string chain = cli::ChainName(bench);
    const CorvalenSweepPlot plot{series.frequencyHz.size(), series.frequencyHz.data(), series.plusDb.data(),
                                 series.minusDb.data(), OrNull(series.errorDb), series.mismatchLossDb.data(),
                                 OrNull(series.throughPlusDb), OrNull(series.throughMinusDb),
                                 OrNull(series.throughErrorDb),
                                 bench.chain.empty() ? nullptr : chain.c_str(),
                                 bench.source.name.c_str(), bench.load.name.c_str(), series.sourceAboveOneHz.size(),
                                 OrNull(series.sourceAboveOneHz), series.loadAboveOneHz.size(),
                                 OrNull(series.loadAboveOneHz), path.c_str()};
    char reason[512] = "";
    return Reason(corvalen_plot_sweep(&plot, reason, sizeof reason), reason);
}

std::string SaveSmithPicture(const MeasuredSweep& sweep, const std::string& path)
{
    const SmithPoints load = sweep.LoadPoints();
    const SmithPoints sourceConjugate = sweep.SourceConjugatePoints();
    const CorvalenSmithChart chart{TraceOf(load, sweep.Bench().load), TraceOf(sourceConjugate, sweep.Bench().source),
                                   path.c_str()};
    char reason[512] = "";
    return Reason(corvalen_plot_smith(&chart, reason, sizeof reason), reason);
}

}  // namespace corvalen::sweepwindow
