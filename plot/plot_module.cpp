// SPDX-License-Identifier: MIT
// corvalen-plot: the module's entry points, which turn the C interface's arrays
// into the charts' views and draw them into the file.

#include "plot/plot_module.h"

#include "plot/picture_file.h"
#include "plot/smith_chart.h"
#include "plot/sweep_chart.h"

#include <QPainter>

#include <span>

namespace {

using namespace corvalen::plot;

std::span<const double> Values(const double* values, std::size_t points)
{
    return values ? std::span(values, points) : std::span<const double>();
}

QString Name(const char* name)
{
    return QString::fromUtf8(name ? name : "");
}

SweepChart ChartOf(const CorvalenSweepPlot& plot)
{
    const std::size_t n = plot.points;
    const std::size_t through = plot.throughName ? n : 0;  // without a name there is no two-port
    return {Values(plot.frequencyHz, n),
            Values(plot.plusUncertaintyDb, n),
            Values(plot.minusUncertaintyDb, n),
            Values(plot.mismatchErrorDb, n),
            Values(plot.loadMismatchLossDb, n),
            Values(plot.throughPlusUncertaintyDb, through),
            Values(plot.throughMinusUncertaintyDb, through),
            Values(plot.throughMismatchErrorDb, through),
            Name(plot.sourceName),
            Name(plot.loadName),
            Name(plot.throughName),
            Values(plot.sourceAboveOneHz, plot.sourceAboveOnePoints),
            Values(plot.loadAboveOneHz, plot.loadAboveOnePoints)};
}

bool Drawable(const CorvalenSmithTrace& trace)
{
    return trace.points == 0 ? trace.fixedGammaMagnitude >= 0 && trace.fixedGammaMagnitude <= 1
                             : trace.frequencyHz && trace.real && trace.imaginary;
}

SmithTrace TraceOf(const CorvalenSmithTrace& trace)
{
    const std::size_t n = trace.points;
    return {Values(trace.frequencyHz, n), Values(trace.real, n), Values(trace.imaginary, n),
            trace.fixedGammaMagnitude, Name(trace.name)};
}

}  // namespace

// The module's only exported names: the rest of it, Qt included, stays inside.
#ifdef _WIN32
#define CORVALEN_PLOT_ENTRY extern "C" [[gnu::dllexport]]
#else
#define CORVALEN_PLOT_ENTRY extern "C" [[gnu::visibility("default")]]
#endif

CORVALEN_PLOT_ENTRY int corvalen_plot_sweep(const CorvalenSweepPlot* plot, char* reason, std::size_t reasonSize)
{
    if (!plot || plot->points == 0 || !plot->frequencyHz || !plot->plusUncertaintyDb || !plot->minusUncertaintyDb
        || !plot->loadMismatchLossDb) {
        Report(reason, reasonSize, QStringLiteral("nothing to draw"));
        return 1;
    }
    const SweepChart chart = ChartOf(*plot);
    return DrawToFile(plot->path, kSweepChartSize, QStringLiteral("Mismatch across frequency"),
                      [&chart](QPainter& painter) { DrawSweepChart(painter, kSweepChartSize, chart); }, reason,
                      reasonSize);
}

CORVALEN_PLOT_ENTRY int corvalen_plot_smith(const CorvalenSmithChart* chart, char* reason, std::size_t reasonSize)
{
    if (!chart || !Drawable(chart->load) || !Drawable(chart->sourceConjugate)) {
        Report(reason, reasonSize, QStringLiteral("nothing to draw"));
        return 1;
    }
    const SmithChart smith{TraceOf(chart->load), TraceOf(chart->sourceConjugate)};
    return DrawToFile(chart->path, kSmithChartSize, QStringLiteral("Conjugate match on the Smith chart"),
                      [&smith](QPainter& painter) { DrawSmithChart(painter, kSmithChartSize, smith); }, reason,
                      reasonSize);
}
