// SPDX-License-Identifier: MIT
#include "plot_loader.h"

#include "plot/plot_module.h"
#include "platform/module.h"
#include "platform/program_path.h"

#include <optional>

namespace corvalen::cli {
namespace {

// A series for the plot, or null where it is empty.
const double* OrNull(const std::vector<double>& series)
{
    return series.empty() ? nullptr : series.data();
}

// Calls the plot module's `entryPoint` with `picture`. The module is taken only
// from beside the program: where the program's own folder is unknown, a path
// relative to the current folder would run whatever code lies there.
template <typename Entry, typename Picture>
std::string Draw(const char* entryPoint, const Picture& picture)
{
    const std::optional<std::string> folder = platform::ProgramFolder();
    if (!folder)
        return "cannot find the plot module: the program's own folder is unknown";
    const std::string path = *folder + CORVALEN_PLOT_MODULE;
    const platform::Module module(path);
    if (!module.Loaded())
        return "cannot load the plot module: " + module.Error();
    const auto draw = module.Entry<Entry>(entryPoint);
    if (!draw)
        return "the plot module " + path + " has no " + entryPoint;
    char reason[512] = "";
    return draw(&picture, reason, sizeof reason) == 0 ? std::string() : std::string(reason);
}

// The module's view of a side's trace, which must outlive it.
CorvalenSmithTrace TraceOf(const measuredtext::SmithSeries& series)
{
    return {series.real.size(), series.frequencyHz.data(), series.real.data(), series.imaginary.data(),
            series.fixedGammaMagnitude, series.name.c_str()};
}

}  // namespace

std::string DrawSweepPlot(const std::string& path, const measuredtext::PlotSeries& series, const measured::Bench& bench)
{
    const std::string chain = measuredtext::ChainName(bench);
    const char* through = bench.chain.empty() ? nullptr : chain.c_str();
    const CorvalenSweepPlot plot{series.frequencyHz.size(), series.frequencyHz.data(), series.plusDb.data(),
                                 series.minusDb.data(), OrNull(series.errorDb), series.mismatchLossDb.data(),
                                 OrNull(series.throughPlusDb), OrNull(series.throughMinusDb),
                                 OrNull(series.throughErrorDb), through, bench.source.name.c_str(),
                                 bench.load.name.c_str(), series.sourceAboveOneHz.size(),
                                 OrNull(series.sourceAboveOneHz), series.loadAboveOneHz.size(),
                                 OrNull(series.loadAboveOneHz), path.c_str()};
    return Draw<CorvalenPlotSweep>(kCorvalenPlotEntryPoint, plot);
}

std::string DrawSmithChart(const std::string& path, const measured::Bench& bench)
{
    using measuredtext::SmithSide;
    const measuredtext::SmithSeries load = measuredtext::SmithSeriesOf(bench.load, SmithSide::Load);
    const measuredtext::SmithSeries source = measuredtext::SmithSeriesOf(bench.source, SmithSide::SourceConjugate);
    const CorvalenSmithChart chart{TraceOf(load), TraceOf(source), path.c_str()};
    return Draw<CorvalenPlotSmith>(kCorvalenSmithEntryPoint, chart);
}

}  // namespace corvalen::cli
