// SPDX-License-Identifier: MIT
#include "sweep_command.h"

#include "plot_loader.h"
#include "program_lines.h"

#include "measuredtext/chart_series.h"
#include "measuredtext/sweep_table.h"

#include "measured/bench.h"
#include "measured/sweep.h"

#include <optional>
#include <span>
#include <string>

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;
using namespace corvalen::measuredtext;

void NoteActive(const Side& side, const ActivePoints& points)
{
    if (points.count > 0)
        Note(side.name + ": |G| above 1 at " + std::to_string(points.count)
             + (points.count == 1 ? " frequency" : " frequencies") + ", the first at "
             + FrequencyText(points.firstFrequencyHz)
             + " Hz; VSWR, mismatch loss and limits that have no value there print as inf or -inf");
}

// What a run of rows met that stderr should tell of.
struct Written {
    ActiveSides active;
    bool errorKnown = false;  // a row where every phase is measured
};

// The header and every row to `sink`, a block of rows at a time, and each row
// to `series` too when there is one.
Written WriteRows(const Sweep& sweep, bool withTwoPort, char separator, const std::function<void(std::string_view)>& sink,
                  PlotSeries* series)
{
    sink(SweepHeader(withTwoPort, separator));
    std::string text;
    text.reserve(Sweep::kBlockRows * SweepRowBytes(withTwoPort));
    Written written;
    written.active = sweep.Run([&](std::span<const RowValues> rows) {
        text.clear();
        for (const RowValues& row : rows) {
            AppendSweepRow(text, row, separator);
            written.errorKnown = written.errorKnown || row.direct.mismatchErrorDb
                                 || (row.through && row.through->mismatchErrorDb);
            if (series)
                series->Append(row);
        }
        sink(text);
    });
    return written;
}

// The exit status: 1 when a picture asked for cannot be written.
int DrawPictures(const SweepCommand& command, const Bench& bench, const PlotSeries& series)
{
    int status = 0;
    const auto draw = [&status](const std::string& what, const std::string& failure) {
        if (!failure.empty()) {
            Note("cannot write the " + what + ": " + failure);
            status = 1;
        }
    };
    if (command.plotPath)
        draw("plot " + *command.plotPath, DrawSweepPlot(*command.plotPath, series, bench));
    if (command.smithPath)
        draw("Smith chart " + *command.smithPath, DrawSmithChart(*command.smithPath, bench));
    return status;
}

}  // namespace

int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink)
{
    std::optional<Bench> bench;
    std::optional<Sweep> sweep;
    try {
        bench = ReadBench(command.bench);
        sweep.emplace(*bench);
    } catch (const MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    for (const std::string& warning : bench->Warnings())
        Note(warning);
    if (const std::size_t outside = sweep->GridPointsOutside(); outside > 0)
        Note(sweep->GridName() + ": " + std::to_string(outside) + " of " + std::to_string(sweep->GridPoints())
             + " frequencies lie outside the range of " + sweep->OutsideOf() + " and are left out");

    PlotSeries series;
    const Written written = WriteRows(*sweep, !bench->chain.empty(), command.format == SweepFormat::Csv ? ',' : '\t',
                                      sink, command.plotPath ? &series : nullptr);
    if (sweep->ThroughUncertaintyBeyondReach())
        Note("through this chain the standard uncertainty would take minutes over these rows: it is left empty");
    if (written.errorKnown)
        Note("where every phase is measured the mismatch error is known, not spread: its standard uncertainty is "
             "left empty there");
    NoteActive(bench->source, written.active.source);
    NoteActive(bench->load, written.active.load);
    return DrawPictures(command, *bench, series);
}

}  // namespace corvalen::cli
