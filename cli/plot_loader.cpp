// SPDX-License-Identifier: MIT
#include "plot_loader.h"

#include "plot/plot_module.h"
#include "platform/module.h"
#include "platform/program_path.h"

#include <complex>
#include <optional>

namespace corvalen::cli {
namespace {

using measured::Side;

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

// A side's trace: its reflection across frequency (conjugated for the source,
// which meets the load where the pair is conjugate-matched), or a circle of its fixed |G|.
struct SmithTrace {
    std::vector<double> real, imaginary;
    CorvalenSmithTrace trace{};

    SmithTrace(const Side& side, bool conjugate)
    {
        trace.name = side.name.c_str();
        const measured::Reflection* measured = side.Measured();
        if (!measured) {
            trace.fixedGammaMagnitude = std::get<measured::SideValues>(side.value).gammaMagnitude;
            return;
        }
        for (const std::complex<double> gamma : measured->gamma) {
            real.push_back(gamma.real());
            imaginary.push_back(conjugate ? -gamma.imag() : gamma.imag());
        }
        trace = {measured->frequencyHz.size(), measured->frequencyHz.data(), real.data(), imaginary.data(), 0.0,
                 side.name.c_str()};
    }
    SmithTrace(const SmithTrace&) = delete;
    SmithTrace& operator=(const SmithTrace&) = delete;
};

}  // namespace

void PlotSeries::Append(const measured::RowValues& row)
{
    frequencyHz.push_back(row.frequencyHz);
    plusDb.push_back(row.direct.plusUncertaintyDb);
    minusDb.push_back(row.direct.minusUncertaintyDb);
    if (row.direct.mismatchErrorDb)
        errorDb.push_back(*row.direct.mismatchErrorDb);
    mismatchLossDb.push_back(row.loadMismatchLossDb);
    if (row.source.gammaMagnitude > 1.0)
        sourceAboveOneHz.push_back(row.frequencyHz);
    if (row.load.gammaMagnitude > 1.0)
        loadAboveOneHz.push_back(row.frequencyHz);
    if (row.through) {
        throughPlusDb.push_back(row.through->plusUncertaintyDb);
        throughMinusDb.push_back(row.through->minusUncertaintyDb);
        if (row.through->mismatchErrorDb)
            throughErrorDb.push_back(*row.through->mismatchErrorDb);
    }
}

std::string ChainName(const measured::Bench& bench)
{
    std::string chain;
    for (const measured::Through& twoPort : bench.chain)
        chain.append(chain.empty() ? "" : " then ").append(twoPort.name);
    return chain;
}

std::string DrawSweepPlot(const std::string& path, const PlotSeries& series, const measured::Bench& bench)
{
    const std::string chain = ChainName(bench);
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
    const SmithTrace loadTrace(bench.load, false);
    const SmithTrace sourceTrace(bench.source, true);
    const CorvalenSmithChart chart{loadTrace.trace, sourceTrace.trace, path.c_str()};
    return Draw<CorvalenPlotSmith>(kCorvalenSmithEntryPoint, chart);
}

}  // namespace corvalen::cli
