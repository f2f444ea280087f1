// SPDX-License-Identifier: MIT
#include "sweep_command.h"

#include "measured/sweep.h"
#include "measured/touchstone.h"
#include "plot/plot_module.h"

#include "row_text.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;

constexpr std::string_view kColumns[] = {
    "frequency_hz", "source_vswr", "source_return_loss_db", "load_vswr", "load_return_loss_db",
    "load_mismatch_loss_db", "max_vswr", "combined_return_loss_db", "plus_uncertainty_db",
    "minus_uncertainty_db", "mismatch_error_db"};

void Note(const std::string& text)
{
    // Messages quote file names and file contents, which may hold anything.
    std::fputs(("corvalen-cli: " + Printable(text) + "\n").c_str(), stderr);
}

Side ReadSide(const SweepSide& side, double systemOhms)
{
    if (side.fixed)
        return {side.name, *side.fixed};
    return {side.name, ReadReflection(side.path, side.choice, systemOhms)};
}

struct PlotSeries {
    std::vector<double> frequencyHz, plusDb, minusDb, errorDb, mismatchLossDb;

    void Append(const RowValues& row)
    {
        frequencyHz.push_back(row.frequencyHz);
        plusDb.push_back(row.plusUncertaintyDb);
        minusDb.push_back(row.minusUncertaintyDb);
        if (row.mismatchErrorDb)
            errorDb.push_back(*row.mismatchErrorDb);
        mismatchLossDb.push_back(row.loadMismatchLossDb);
    }

    void Append(const PlotSeries& more)
    {
        for (const auto member : {&PlotSeries::frequencyHz, &PlotSeries::plusDb, &PlotSeries::minusDb,
                                  &PlotSeries::errorDb, &PlotSeries::mismatchLossDb})
            (this->*member).insert((this->*member).end(), (more.*member).begin(), (more.*member).end());
    }
};

// Rows formatted together: their text and their points for the plot.
struct RowBlock {
    std::string text;
    PlotSeries series;
};

void AppendRow(std::string& text, const RowValues& row, char separator)
{
    text.append(FrequencyText(row.frequencyHz));
    for (const double value :
         {row.source.vswr, row.source.returnLossDb, row.load.vswr, row.load.returnLossDb, row.loadMismatchLossDb,
          row.maxVswr, row.combinedReturnLossDb, row.plusUncertaintyDb, row.minusUncertaintyDb}) {
        text.push_back(separator);
        AppendFourDecimals(text, value);
    }
    text.push_back(separator);
    if (row.mismatchErrorDb)
        AppendFourDecimals(text, *row.mismatchErrorDb);
    text.push_back('\n');
}


std::string ModulePath()
{
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return self.substr(0, self.rfind('/') + 1) + CORVALEN_PLOT_MODULE;
}

// An empty string on success, else why the plot was not written.
std::string Plot(const SweepCommand& command, const PlotSeries& series)
{
    const std::string path = ModulePath();
    const std::unique_ptr<void, int (*)(void*)> module(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), &::dlclose);
    if (!module)
        return std::string("cannot load the plot module: ") + ::dlerror();
    const auto draw = reinterpret_cast<CorvalenPlotSweep>(::dlsym(module.get(), kCorvalenPlotEntryPoint));
    if (!draw)
        return "the plot module " + path + " has no " + kCorvalenPlotEntryPoint;
    const CorvalenSweepPlot plot{series.frequencyHz.size(), series.frequencyHz.data(), series.plusDb.data(),
                                 series.minusDb.data(), series.errorDb.empty() ? nullptr : series.errorDb.data(),
                                 series.mismatchLossDb.data(), nullptr, nullptr, nullptr, nullptr,
                                 command.source.name.c_str(),
                                 command.load.name.c_str(), command.plotPath->c_str()};
    char reason[512] = "";
    return draw(&plot, reason, sizeof reason) == 0 ? std::string() : std::string(reason);
}

void NoteActive(const Side& side, const ActivePoints& points)
{
    if (points.count > 0)
        Note(side.name + ": |G| above 1 at " + std::to_string(points.count) + " frequencies, the first at "
             + FrequencyText(points.firstFrequencyHz)
             + " Hz; VSWR, mismatch loss and limits that have no value there print as inf or -inf");
}

}  // namespace

int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink)
{
    Side source;
    Side load;
    std::optional<Sweep> sweep;
    try {
        // The two files are read side by side; the source's error, if any, is the one reported.
        auto sourceRead = std::async(std::launch::async, ReadSide, std::cref(command.source), command.systemOhms);
        std::exception_ptr loadError;
        try {
            load = ReadSide(command.load, command.systemOhms);
        } catch (const MeasuredError&) {
            loadError = std::current_exception();
        }
        source = sourceRead.get();
        if (loadError)
            std::rethrow_exception(loadError);
        sweep.emplace(source, load);
    } catch (const MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    if (const std::size_t outside = sweep->GridPointsOutside(); outside > 0) {
        const Side& grid = sweep->Grid();
        Note(grid.name + ": " + std::to_string(outside) + " of " + std::to_string(grid.Measured()->frequencyHz.size())
             + " frequencies lie outside the range of " + source.name + " and are left out");
    }

    const char separator = command.format == SweepFormat::Csv ? ',' : '\t';
    sink(HeaderLine(kColumns, separator));

    // After reading, the rows' arithmetic and texts are most of the work.
    const bool plotting = command.plotPath.has_value();
    PlotSeries series;
    sweep->Run<RowBlock>(
        [&](RowBlock& block, const RowValues& row) {
            if (block.text.empty())
                block.text.reserve(Sweep::kBlockRows * 96);
            AppendRow(block.text, row, separator);
            if (plotting)
                block.series.Append(row);
        },
        [&](RowBlock& block) {
            sink(block.text);
            series.Append(block.series);
        });
    NoteActive(source, sweep->SourceActive());
    NoteActive(load, sweep->LoadActive());

    if (plotting) {
        if (const std::string failure = Plot(command, series); !failure.empty()) {
            Note("cannot write the plot " + *command.plotPath + ": " + failure);
            return 1;
        }
    }
    return 0;
}

}  // namespace corvalen::cli
