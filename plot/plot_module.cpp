// SPDX-License-Identifier: MIT
// corvalen-plot: the module's entry points, which turn the C interface's arrays
// into the charts' views and hand them to WritePicture.

#include "plot/plot_module.h"

#include "plot/picture_file.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

namespace {

using namespace corvalen::plot;

std::span<const double> Values(const double* values, std::size_t points)
{
    return values ? std::span(values, points) : std::span<const double>();
}

// Copies the text into the caller's buffer, cut to reasonSize - 1 bytes; 0
// when there is none, else 1.
int Report(char* reason, std::size_t reasonSize, const std::string& text)
{
    if (text.empty())
        return 0;
    if (reasonSize > 0) {
        const std::size_t length = std::min(text.size(), reasonSize - 1);
        std::memcpy(reason, text.data(), length);
        reason[length] = '\0';
    }
    return 1;
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
    if (!plot || !plot->path || !plot->frequencyHz || !plot->plusUncertaintyDb || !plot->minusUncertaintyDb
        || !plot->loadMismatchLossDb)
        return Report(reason, reasonSize, "nothing to draw");
    return Report(reason, reasonSize, WritePicture(ChartOf(*plot), plot->path));
}

CORVALEN_PLOT_ENTRY int corvalen_plot_smith(const CorvalenSmithChart* chart, char* reason, std::size_t reasonSize)
{
    const auto pointless = [](const CorvalenSmithTrace& trace) {
        return trace.points > 0 && (!trace.frequencyHz || !trace.real || !trace.imaginary);
    };
    if (!chart || !chart->path || pointless(chart->load) || pointless(chart->sourceConjugate))
        return Report(reason, reasonSize, "nothing to draw");
    return Report(reason, reasonSize,
                  WritePicture(SmithChart{TraceOf(chart->load), TraceOf(chart->sourceConjugate)}, chart->path));
}
