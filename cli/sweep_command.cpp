// SPDX-License-Identifier: MIT
#include "sweep_command.h"

#include "measured/sweep.h"
#include "measured/touchstone.h"
#include "plot/plot_module.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <functional>
#include <future>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;

constexpr std::size_t kChunkBytes = 1 << 20;
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
    if (side.fixedVswr)
        return {side.name, side.fixedVswr, {}};
    return {side.name, std::nullopt, ReadReflection(side.path, side.port, systemOhms)};
}

// Four decimals, a point whatever the locale, and no minus sign on a zero.
// Rounds the exact binary value half to even, as std::to_chars does, which
// with a precision took a third of the whole sweep.
void AppendValue(std::string& out, double value)
{
    if (std::isinf(value)) {
        out.append(value > 0 ? "inf" : "-inf");
        return;
    }
    if (!(std::abs(value) < 1e14)) {
        char buffer[400];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
        out.append(buffer, result.ptr);
        return;
    }
    const double scaled = value * 10000.0;
    const double error = std::fma(value, 10000.0, -scaled);  // the exact product is scaled + error
    const double whole = std::floor(scaled);
    const double fraction = (scaled - whole) + error;
    auto tenThousandths = static_cast<long long>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && tenThousandths % 2 != 0))
        ++tenThousandths;
    if (tenThousandths < 0)
        out.push_back('-');
    const unsigned long long magnitude = static_cast<unsigned long long>(tenThousandths < 0 ? -tenThousandths : tenThousandths);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 10000).ptr;
    out.append(digits, end);
    const auto decimals = static_cast<unsigned>(magnitude % 10000);
    const char fraction4[5] = {'.', static_cast<char>('0' + decimals / 1000), static_cast<char>('0' + decimals / 100 % 10),
                               static_cast<char>('0' + decimals / 10 % 10), static_cast<char>('0' + decimals % 10)};
    out.append(fraction4, sizeof fraction4);
}

struct PlotSeries {
    std::vector<double> frequencyHz, plusDb, minusDb, errorDb, mismatchLossDb;
};

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
                                 series.mismatchLossDb.data(), command.source.name.c_str(),
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
    SweepSummary summary;
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
        summary = PlanSweep(source, load);
    } catch (const MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    if (summary.loadPointsOutside > 0) {
        const Side& grid = load.fixedVswr ? source : load;
        Note(grid.name + ": " + std::to_string(summary.loadPointsOutside) + " of "
             + std::to_string(grid.measured.frequencyHz.size()) + " frequencies lie outside the range of "
             + source.name + " and are left out");
    }

    const char separator = command.format == SweepFormat::Csv ? ',' : '\t';
    std::string buffer;
    buffer.reserve(kChunkBytes + 1024);
    for (const std::string_view column : kColumns)
        buffer.append(column).push_back(separator);
    buffer.back() = '\n';

    PlotSeries series;
    const bool plotting = command.plotPath.has_value();
    RunSweep(source, load, [&](const RowValues& row) {
        NoteActivePoints(summary, row);
        buffer.append(FrequencyText(row.frequencyHz));
        for (const double value :
             {row.source.vswr, row.source.returnLossDb, row.load.vswr, row.load.returnLossDb, row.loadMismatchLossDb,
              row.maxVswr, row.combinedReturnLossDb, row.plusUncertaintyDb, row.minusUncertaintyDb}) {
            buffer.push_back(separator);
            AppendValue(buffer, value);
        }
        buffer.push_back(separator);
        if (row.mismatchErrorDb)
            AppendValue(buffer, *row.mismatchErrorDb);
        buffer.push_back('\n');
        if (buffer.size() >= kChunkBytes) {
            sink(buffer);
            buffer.clear();
        }
        if (plotting) {
            series.frequencyHz.push_back(row.frequencyHz);
            series.plusDb.push_back(row.plusUncertaintyDb);
            series.minusDb.push_back(row.minusUncertaintyDb);
            if (row.mismatchErrorDb)
                series.errorDb.push_back(*row.mismatchErrorDb);
            series.mismatchLossDb.push_back(row.loadMismatchLossDb);
        }
    });
    sink(buffer);
    NoteActive(source, summary.source);
    NoteActive(load, summary.load);

    if (plotting) {
        if (const std::string failure = Plot(command, series); !failure.empty()) {
            Note("cannot write the plot " + *command.plotPath + ": " + failure);
            return 1;
        }
    }
    return 0;
}

}  // namespace corvalen::cli
