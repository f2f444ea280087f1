// SPDX-License-Identifier: MIT
#include "sweep_command.h"

#include "measured/sweep.h"
#include "measured/touchstone.h"
#include "plot/plot_module.h"

#include <charconv>
#include <cstdint>
#include <iterator>
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
    return {side.name, std::nullopt, ReadReflection(side.path, side.choice, systemOhms)};
}

// Four decimals as std::to_chars writes them, rounding the exact value, but
// with no minus sign on a zero.
[[gnu::noinline]] void AppendExactly(std::string& out, double value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    out.append(text == "-0.0000" ? text.substr(1) : text);
}

// Four decimals, a point whatever the locale, and no minus sign on a zero.
// to_chars with a precision took a third of the whole sweep, so it is left to
// decide only where value * 10^4 lies too close to a half for the rounding of
// that product to be trusted, and for infinities.
void AppendValue(std::string& out, double value)
{
    // Below 2^40 the product is off by at most 2^-13, far less than the margin.
    constexpr double kFastLimit = 0x1p40;
    constexpr double kTieMargin = 1e-3;
    const double scaled = std::abs(value) * 10000.0;
    if (!(scaled < kFastLimit)) {
        AppendExactly(out, value);
        return;
    }
    const auto whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::abs(fraction - 0.5) < kTieMargin) {
        AppendExactly(out, value);
        return;
    }
    std::uint64_t magnitude = whole + (fraction > 0.5 ? 1 : 0);
    // Written backwards from the last decimal.
    char text[24];
    char* first = std::end(text);
    for (int place = 0; place < 5 || magnitude > 0; ++place) {  // four decimals and at least one digit before
        if (place == 4)
            *--first = '.';
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0 && whole + (fraction > 0.5 ? 1 : 0) > 0)
        *--first = '-';
    out.append(first, std::end(text));
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

// Rows formatted together: their text, where |G| exceeds 1, and their points for the plot.
struct RowBlock {
    std::string text;
    SweepSummary active;
    PlotSeries series;
};

constexpr std::size_t kBlockRows = 8192;

void AppendRow(std::string& text, const RowValues& row, char separator)
{
    text.append(FrequencyText(row.frequencyHz));
    for (const double value :
         {row.source.vswr, row.source.returnLossDb, row.load.vswr, row.load.returnLossDb, row.loadMismatchLossDb,
          row.maxVswr, row.combinedReturnLossDb, row.plusUncertaintyDb, row.minusUncertaintyDb}) {
        text.push_back(separator);
        AppendValue(text, value);
    }
    text.push_back(separator);
    if (row.mismatchErrorDb)
        AppendValue(text, *row.mismatchErrorDb);
    text.push_back('\n');
}

// Counts a later block's points into the sweep's, keeping the first frequency.
void Merge(ActivePoints& sweep, const ActivePoints& block)
{
    if (sweep.count == 0)
        sweep.firstFrequencyHz = block.firstFrequencyHz;
    sweep.count += block.count;
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
    std::string header;
    for (const std::string_view column : kColumns)
        header.append(column).push_back(separator);
    header.back() = '\n';
    sink(header);

    // After reading, the rows' arithmetic and texts are most of the work: two
    // blocks at a time are formatted side by side, then written in order.
    const bool plotting = command.plotPath.has_value();
    const auto format = [&](std::size_t first, std::size_t end) {
        RowBlock block;
        block.text.reserve((end - first) * 96);
        RunSweep(source, load, first, end, [&](const RowValues& row) {
            NoteActivePoints(block.active, row);
            AppendRow(block.text, row, separator);
            if (plotting)
                block.series.Append(row);
        });
        return block;
    };
    PlotSeries series;
    for (std::size_t first = 0; first < summary.rows; first += 2 * kBlockRows) {
        const std::size_t middle = std::min(first + kBlockRows, summary.rows);
        const std::size_t end = std::min(middle + kBlockRows, summary.rows);
        auto later = std::async(std::launch::async, format, middle, end);
        for (const RowBlock& block : {format(first, middle), later.get()}) {
            sink(block.text);
            Merge(summary.source, block.active.source);
            Merge(summary.load, block.active.load);
            series.Append(block.series);
        }
    }
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
