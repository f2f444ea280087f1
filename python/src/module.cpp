// SPDX-License-Identifier: MIT
// corvalen._corvalen: the reader and the mismatch engine for Python. The
// package's __init__.py gives these functions their keyword arguments and
// their results' types; here the arguments are taken as given there.

#include "error.h"
#include "inputs.h"
#include "results.h"
#include "text_forms.h"

#include "corvalen_version.h"
#include "measured/worst_case.h"
#include "touchstone/touchstone.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace corvalen::python {
namespace {

namespace py = pybind11;

py::dict Read(const std::string& path)
{
    std::optional<touchstone::Network> network;
    {
        // Other threads go on while the file is read.
        py::gil_scoped_release unlocked;
        network = touchstone::ReadNetwork(path);
    }
    return NetworkDict(std::move(*network));
}

measured::Band BandOf(std::optional<double> fromHz, std::optional<double> toHz)
{
    measured::Band band;
    band.fromHz = fromHz.value_or(-std::numeric_limits<double>::infinity());
    band.toHz = toHz.value_or(std::numeric_limits<double>::infinity());
    if (std::isnan(band.fromHz) || std::isnan(band.toHz) || band.fromHz > band.toHz)
        throw ModuleError("band: expected (from_hz, to_hz) with from_hz not above to_hz");
    return band;
}

bool Fixed(const PendingSide& side)
{
    const auto* input = std::get_if<measured::SideInput>(&side);
    return input && std::holds_alternative<measured::SideValues>(input->value);
}

// As corvalen-cli sweep refuses it, before anything is read.
void RequireMeasured(const PendingBench& bench)
{
    for (const PendingThrough& through : bench.chain) {
        const auto* file = std::get_if<PendingFile>(&through);
        if (!file || !std::holds_alternative<measured::Pad>(file->value))
            return;
    }
    if (Fixed(bench.source) && Fixed(bench.load))
        throw ModuleError("sweep: nothing measured: source, load or a two-port of through must be a Touchstone file "
                          "or data; for one-off values use corvalen.mismatch");
}

py::tuple Sweep(py::handle source, py::handle load, py::handle through, double systemOhms,
                std::optional<double> fromHz, std::optional<double> toHz)
{
    const measured::Band band = BandOf(fromHz, toHz);
    PendingBench pending = TakeBench(source, load, through, systemOhms);
    RequireMeasured(pending);
    SweepAnswer answer;
    {
        py::gil_scoped_release unlocked;
        const measured::Bench bench = ReadPending(std::move(pending));
        answer = RunSweep(bench, band);
    }
    py::tuple notes = py::cast(answer.notes);
    return py::make_tuple(ColumnsDict(std::move(answer)), notes);
}

py::tuple Mismatch(py::handle source, py::handle load, py::handle through, double systemOhms, double coveragePercent)
{
    if (!(coveragePercent > 0.0 && coveragePercent < 100.0))
        throw ModuleError("coverage '" + std::string(py::str(py::float_(coveragePercent)))
                          + "': expected a probability in percent above 0 and below 100, such as 95");
    PendingBench pending = TakeBench(source, load, through, systemOhms);
    for (const auto* side : {&pending.source, &pending.load}) {
        if (!Fixed(*side))
            throw ModuleError(std::string(side == &pending.source ? "source" : "load")
                              + ": expected a fixed value such as 1.5, vswr=1.5, rl=23 or gamma=0.07; for measured "
                                "data use sweep");
    }
    const double probability = CoverageProbability(coveragePercent);
    std::optional<measured::OneOffValues> oneOff;
    {
        py::gil_scoped_release unlocked;
        oneOff = measured::ComputeOneOff(ReadPending(std::move(pending)), probability);
    }
    py::tuple notes = py::cast(oneOff->warnings);
    return py::make_tuple(OneOffDict(*oneOff, probability), notes);
}

}  // namespace
}  // namespace corvalen::python

PYBIND11_MODULE(_corvalen, module)
{
    namespace py = pybind11;
    using namespace corvalen::python;
    module.doc() = "The Touchstone reader and the mismatch engine of Corvalen; use the corvalen package.";
    module.attr("__version__") = CORVALEN_VERSION_STRING;
    RegisterError(module);
    module.def("read", &Read, py::arg("path"), "The whole file as a dict; see corvalen.read.");
    module.def("sweep", &Sweep, py::arg("source"), py::arg("load"), py::arg("through"), py::arg("z0"),
               py::arg("from_hz"), py::arg("to_hz"), "(columns, notes); see corvalen.sweep.");
    module.def("mismatch", &Mismatch, py::arg("source"), py::arg("load"), py::arg("through"), py::arg("z0"),
               py::arg("coverage"), "(values, notes); see corvalen.mismatch.");
}
