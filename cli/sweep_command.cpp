// SPDX-License-Identifier: MIT
#include "sweep_command.h"

#include "measured/sweep.h"
#include "touchstone/touchstone.h"
#include "plot/plot_module.h"

#include "row_text.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace corvalen::cli {
namespace {

using namespace corvalen::measured;
using namespace corvalen::touchstone;

// The direct pair's columns, then the pair through the two-port's.
constexpr std::string_view kColumns[] = {
    "frequency_hz", "source_vswr", "source_return_loss_db", "load_vswr", "load_return_loss_db",
    "load_mismatch_loss_db", "max_vswr", "combined_return_loss_db", "plus_uncertainty_db",
    "minus_uncertainty_db", "mismatch_error_db", "standard_uncertainty_db",
    "through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_mismatch_error_db",
    "through_standard_uncertainty_db"};
constexpr std::size_t kDirectColumns = 12;

Side ReadSide(const SweepSide& side, double systemOhms)
{
    if (side.fixed)
        return {side.name, *side.fixed};
    return {side.name, ReadReflection(side.path, side.choice, systemOhms)};
}

struct PlotSeries {
    std::vector<double> frequencyHz, plusDb, minusDb, errorDb, mismatchLossDb, throughPlusDb, throughMinusDb,
        throughErrorDb;

    void Append(const RowValues& row)
    {
        frequencyHz.push_back(row.frequencyHz);
        plusDb.push_back(row.plusUncertaintyDb);
        minusDb.push_back(row.minusUncertaintyDb);
        if (row.mismatchErrorDb)
            errorDb.push_back(*row.mismatchErrorDb);
        mismatchLossDb.push_back(row.loadMismatchLossDb);
        if (row.through) {
            throughPlusDb.push_back(row.through->plusUncertaintyDb);
            throughMinusDb.push_back(row.through->minusUncertaintyDb);
            if (row.through->mismatchErrorDb)
                throughErrorDb.push_back(*row.through->mismatchErrorDb);
        }
    }

    void Append(const PlotSeries& more)
    {
        for (const auto member : {&PlotSeries::frequencyHz, &PlotSeries::plusDb, &PlotSeries::minusDb,
                                  &PlotSeries::errorDb, &PlotSeries::mismatchLossDb, &PlotSeries::throughPlusDb,
                                  &PlotSeries::throughMinusDb, &PlotSeries::throughErrorDb})
            (this->*member).insert((this->*member).end(), (more.*member).begin(), (more.*member).end());
    }
};

// A series for the plot, or null where it is empty.
const double* OrNull(const std::vector<double>& series)
{
    return series.empty() ? nullptr : series.data();
}

// Rows formatted together: their text and their points for the plot.
struct RowBlock {
    std::string text;
    PlotSeries series;

    void clear()
    {
        text.clear();
        series = {};
    }
};

// A row is written whole into room on the stack and appended once: appending
// each number took a fifth of the rows' time in the copies alone.
void AppendRow(std::string& text, const RowValues& row, char separator)
{
    char line[std::size(kColumns) * (kFourDecimalsRoom + 1)];
    const std::string frequency = FrequencyText(row.frequencyHz);
    char* end = std::copy(frequency.begin(), frequency.end(), line);
    const auto number = [&](double value) {
        *end++ = separator;
        end = WriteFourDecimals(end, value);
    };
    const auto optionalNumber = [&](const std::optional<double>& value) {
        *end++ = separator;
        if (value)
            end = WriteFourDecimals(end, *value);
    };
    for (const double value :
         {row.source.vswr, row.source.returnLossDb, row.load.vswr, row.load.returnLossDb, row.loadMismatchLossDb,
          row.maxVswr, row.combinedReturnLossDb, row.plusUncertaintyDb, row.minusUncertaintyDb})
        number(value);
    optionalNumber(row.mismatchErrorDb);
    number(row.standardUncertaintyDb);
    if (const auto& through = row.through) {
        number(through->plusUncertaintyDb);
        number(through->minusUncertaintyDb);
        optionalNumber(through->mismatchErrorDb);
        number(through->standardUncertaintyDb);
    }
    *end++ = '\n';
    text.append(line, end);
}


#ifdef _WIN32
// No module to load: main refuses --plot and --smith before a sweep starts.
template <typename Entry, typename Picture>
std::string Draw(const char*, const Picture&)
{
    return "drawing needs the desktop build";
}
#else
std::string ModulePath()
{
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return self.substr(0, self.rfind('/') + 1) + CORVALEN_PLOT_MODULE;
}

// Calls the plot module's `entryPoint` with `picture`: an empty string on
// success, else why the picture was not written.
template <typename Entry, typename Picture>
std::string Draw(const char* entryPoint, const Picture& picture)
{
    const std::string path = ModulePath();
    const std::unique_ptr<void, int (*)(void*)> module(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), &::dlclose);
    if (!module)
        return std::string("cannot load the plot module: ") + ::dlerror();
    const auto draw = reinterpret_cast<Entry>(::dlsym(module.get(), entryPoint));
    if (!draw)
        return "the plot module " + path + " has no " + entryPoint;
    char reason[512] = "";
    return draw(&picture, reason, sizeof reason) == 0 ? std::string() : std::string(reason);
}
#endif

std::string Plot(const SweepCommand& command, const PlotSeries& series)
{
    const bool through = command.through.has_value();
    const CorvalenSweepPlot plot{series.frequencyHz.size(), series.frequencyHz.data(), series.plusDb.data(),
                                 series.minusDb.data(), OrNull(series.errorDb), series.mismatchLossDb.data(),
                                 OrNull(series.throughPlusDb), OrNull(series.throughMinusDb),
                                 OrNull(series.throughErrorDb), through ? command.through->name.c_str() : nullptr,
                                 command.source.name.c_str(), command.load.name.c_str(), command.plotPath->c_str()};
    return Draw<CorvalenPlotSweep>(kCorvalenPlotEntryPoint, plot);
}

// A side's trace: its reflection across frequency (conjugated for the source,
// which meets the load where the pair is conjugate-matched), or a circle of its fixed |G|.
struct SmithTrace {
    std::vector<double> real, imaginary;
    CorvalenSmithTrace trace{};

    SmithTrace(const Side& side, bool conjugate)
    {
        trace.name = side.name.c_str();
        const Reflection* measured = side.Measured();
        if (!measured) {
            trace.fixedGammaMagnitude = std::get<SideValues>(side.value).gammaMagnitude;
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

std::string Smith(const std::string& path, const Side& source, const Side& load)
{
    const SmithTrace loadTrace(load, false);
    const SmithTrace sourceTrace(source, true);
    const CorvalenSmithChart chart{loadTrace.trace, sourceTrace.trace, path.c_str()};
    return Draw<CorvalenPlotSmith>(kCorvalenSmithEntryPoint, chart);
}

void NoteActive(const Side& side, const ActivePoints& points)
{
    if (points.count > 0)
        Note(side.name + ": |G| above 1 at " + std::to_string(points.count) + (points.count == 1 ? " frequency" : " frequencies") + ", the first at "
             + FrequencyText(points.firstFrequencyHz)
             + " Hz; VSWR, mismatch loss and limits that have no value there print as inf or -inf");
}

}  // namespace

void Note(const std::string& text)
{
    // Messages quote file names and file contents, which may hold anything.
    std::fputs(("corvalen-cli: " + Printable(text) + "\n").c_str(), stderr);
}

Through ReadThrough(const ThroughArgument& through, double systemOhms)
{
    if (through.pad)
        return {through.name, *through.pad};
    return {through.name, ReadTwoPort(through.name, systemOhms)};
}

int RunSweepCommand(const SweepCommand& command, const std::function<void(std::string_view)>& sink)
{
    Side source;
    Side load;
    std::optional<Through> through;
    std::optional<Sweep> sweep;
    try {
        // The files are read side by side; the first error in the order source,
        // load, two-port is the one reported.
        auto sourceRead = std::async(std::launch::async, ReadSide, std::cref(command.source), command.systemOhms);
        std::future<Through> throughRead;
        if (command.through)
            throughRead = std::async(std::launch::async, ReadThrough, std::cref(*command.through), command.systemOhms);
        std::exception_ptr loadError;
        try {
            load = ReadSide(command.load, command.systemOhms);
        } catch (const MeasuredError&) {
            loadError = std::current_exception();
        }
        source = sourceRead.get();
        if (loadError)
            std::rethrow_exception(loadError);
        if (throughRead.valid())
            through = throughRead.get();
        sweep.emplace(source, load, through ? &*through : nullptr);
    } catch (const MeasuredError& error) {
        Note(error.Located());
        return 2;
    }
    if (const std::size_t outside = sweep->GridPointsOutside(); outside > 0)
        Note(sweep->GridName() + ": " + std::to_string(outside) + " of " + std::to_string(sweep->GridPoints())
             + " frequencies lie outside the range of " + sweep->OutsideOf() + " and are left out");

    const char separator = command.format == SweepFormat::Csv ? ',' : '\t';
    sink(HeaderLine(std::span(kColumns).first(through ? std::size(kColumns) : kDirectColumns), separator));

    // After reading, the rows' arithmetic and texts are most of the work.
    const bool plotting = command.plotPath.has_value();
    PlotSeries series;
    sweep->Run<RowBlock>(
        [&](RowBlock& block, const RowValues& row) {
            if (block.text.empty())
                block.text.reserve(Sweep::kBlockRows * (through ? 160 : 110));
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

    int status = 0;
    const auto draw = [&status](const std::string& what, const std::string& failure) {
        if (!failure.empty()) {
            Note("cannot write the " + what + ": " + failure);
            status = 1;
        }
    };
    if (plotting)
        draw("plot " + *command.plotPath, Plot(command, series));
    if (command.smithPath)
        draw("Smith chart " + *command.smithPath, Smith(*command.smithPath, source, load));
    return status;
}

}  // namespace corvalen::cli
