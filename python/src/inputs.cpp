// SPDX-License-Identifier: MIT
#include "inputs.h"

#include "arrays.h"
#include "error.h"
#include "text_forms.h"

#include "touchstone/parameters.h"

#include <pybind11/numpy.h>

#include <array>
#include <exception>
#include <optional>
#include <span>
#include <thread>
#include <utility>

namespace corvalen::python {
namespace {

namespace py = pybind11;
using namespace corvalen::measured;
using touchstone::Series;

// A pair (frequency_hz, values) rather than a network object or a form.
bool IsPair(py::handle object)
{
    return (py::isinstance<py::tuple>(object) || py::isinstance<py::list>(object)) && py::len(object) == 2;
}

// The dimensions of the array an object makes (nested lists included), or -1.
py::ssize_t Dimensions(py::handle object)
{
    const py::array array = py::array::ensure(object);
    return array ? array.ndim() : -1;
}

bool IsNetwork(py::handle object)
{
    return py::hasattr(object, "f") && py::hasattr(object, "s") && py::hasattr(object, "z0");
}

// The frequencies and S-parameters of a pair or network, with each point's
// and port's reference (systemOhms for a pair, which is taken as referred to it).
struct MemoryData {
    Series<double> frequencyHz;
    Series<std::complex<double>> s;
    std::vector<double> referenceOhms;
};

MemoryData DataOf(py::handle object, const std::string& subject, std::size_t ports, double systemOhms)
{
    const bool pair = IsPair(object);
    if (!pair && !IsNetwork(object))
        throw ModuleError(subject + ": expected a value form or file name (str), a pair (frequency_hz, "
                          + (ports == 1 ? std::string("gamma") : std::string("s")) + ") or a network with f, s and z0, not "
                          + std::string(py::str(py::type::of(object).attr("__name__"))));
    MemoryData data;
    const py::object values = pair ? py::object(object[py::int_(1)]) : py::object(object.attr("s"));
    data.frequencyHz = FrequencyArray(pair ? py::object(object[py::int_(0)]) : py::object(object.attr("f")), subject);
    const std::size_t points = data.frequencyHz.size();
    const bool flat = ports == 1 && pair && Dimensions(values) == 1;
    if (!pair && py::hasattr(values, "shape") && py::len(values.attr("shape")) == 3
        && values.attr("shape")[py::int_(1)].cast<std::size_t>() != ports)
        throw ModuleError(subject + ": a network of " + std::string(py::str(values.attr("shape")[py::int_(1)]))
                          + " ports where " + (ports == 1 ? "a one-port (such as scikit-rf's network.s22)" : "a two-port")
                          + " is needed");
    data.s = ComplexArray(values, subject + (ports == 1 && pair ? " gamma" : " s"),
                          flat ? std::vector<std::size_t>{points} : std::vector<std::size_t>{points, ports, ports});
    data.referenceOhms = pair ? std::vector<double>(points * ports, systemOhms)
                              : ReferenceArray(object.attr("z0"), subject, points, ports);
    return data;
}

Side SideInMemory(py::handle object, const std::string& role, double systemOhms)
{
    MemoryData data = DataOf(object, role, 1, systemOhms);
    Reflection reflection;
    reflection.frequencyHz = std::move(data.frequencyHz);
    reflection.gamma = std::move(data.s);
    for (std::size_t i = 0; i < reflection.gamma.size(); ++i)
        reflection.gamma[i] = touchstone::Renormalized(reflection.gamma[i], data.referenceOhms[i], systemOhms);
    reflection.portOhms = {data.referenceOhms.front()};
    return {role, std::move(reflection)};
}

Through ThroughInMemory(py::handle object, const std::string& role, double systemOhms)
{
    const MemoryData data = DataOf(object, role, 2, systemOhms);
    TwoPort twoPort;
    twoPort.frequencyHz = data.frequencyHz;
    for (auto* values : {&twoPort.s11, &twoPort.s21, &twoPort.s12, &twoPort.s22})
        values->reserve(twoPort.frequencyHz.size());
    for (std::size_t i = 0; i < twoPort.frequencyHz.size(); ++i) {
        const std::array<std::complex<double>, 4> s{data.s[4 * i], data.s[4 * i + 1], data.s[4 * i + 2],
                                                    data.s[4 * i + 3]};
        const std::array<double, 2> fromOhms{data.referenceOhms[2 * i], data.referenceOhms[2 * i + 1]};
        const auto referred = touchstone::RenormalizedTwoPort(s, fromOhms, systemOhms);
        if (!referred)
            throw ModuleError(role + ": the two-port at " + touchstone::FrequencyText(twoPort.frequencyHz[i])
                              + " Hz cannot be referred to " + touchstone::FrequencyText(systemOhms) + " ohms");
        twoPort.s11.push_back((*referred)[0]);
        twoPort.s12.push_back((*referred)[1]);
        twoPort.s21.push_back((*referred)[2]);
        twoPort.s22.push_back((*referred)[3]);
    }
    twoPort.portOhms = {data.referenceOhms[0], data.referenceOhms[1]};
    return {role, std::move(twoPort)};
}

PendingSide TakeSide(py::handle object, const std::string& role, double systemOhms)
{
    if (py::isinstance<py::str>(object))
        return ParseSideForm(role, object.cast<std::string>());
    return SideInMemory(object, role, systemOhms);
}

PendingThrough TakeThrough(py::handle object, const std::string& role, double systemOhms)
{
    if (!py::isinstance<py::str>(object))
        return ThroughInMemory(object, role, systemOhms);
    return ParseTwoPortForm(role, object.cast<std::string>());
}

// One two-port given alone rather than in a sequence: a form, a network, or
// a pair whose second item is an (n, 2, 2) array.
bool IsOneTwoPort(py::handle through)
{
    if (py::isinstance<py::str>(through) || IsNetwork(through))
        return true;
    if (!IsPair(through))
        return false;
    return Dimensions(through[py::int_(1)]) == 3;
}

}  // namespace

PendingBench TakeBench(py::handle source, py::handle load, py::handle through, double systemOhms)
{
    if (!(systemOhms > 0.0) || !std::isfinite(systemOhms))
        throw ModuleError("z0 '" + std::string(py::str(py::float_(systemOhms)))
                          + "': expected an impedance in ohms above 0, such as 50 or 75");
    PendingBench bench{TakeSide(source, "source", systemOhms), TakeSide(load, "load", systemOhms), {}, systemOhms};
    if (through.is_none())
        return bench;
    if (IsOneTwoPort(through)) {
        bench.chain.push_back(TakeThrough(through, "through", systemOhms));
        return bench;
    }
    if (!py::isinstance<py::sequence>(through))
        throw ModuleError("through: expected a two-port or a sequence of them, not "
                          + std::string(py::str(py::type::of(through).attr("__name__"))));
    std::size_t index = 0;
    for (const py::handle twoPort : through)
        bench.chain.push_back(TakeThrough(twoPort, "through[" + std::to_string(index++) + "]", systemOhms));
    return bench;
}

Bench ReadPending(PendingBench pending)
{
    const auto side = [&pending](PendingSide& given) {
        if (auto* input = std::get_if<SideInput>(&given))
            return ReadSide(*input, pending.systemOhms);
        return std::get<Side>(std::move(given));
    };
    // The load's file is read beside the source's and the chain's, on a
    // second thread; a refusal is the first in the order source, load, chain.
    std::optional<Side> load;
    std::exception_ptr loadFailed;
    std::thread loadReader([&] {
        try {
            load = side(pending.load);
        } catch (...) {
            loadFailed = std::current_exception();
        }
    });
    std::optional<Bench> bench;
    std::exception_ptr othersFailed;
    try {
        bench.emplace(Bench{side(pending.source), {}, {}});
        for (PendingThrough& given : pending.chain) {
            if (auto* file = std::get_if<PendingFile>(&given))
                bench->chain.push_back(ReadThrough(*file, pending.systemOhms));  // turned round where named :reversed
            else
                bench->chain.push_back(std::get<Through>(std::move(given)));
        }
    } catch (...) {
        othersFailed = std::current_exception();
    }
    loadReader.join();
    if (othersFailed && !bench)
        std::rethrow_exception(othersFailed);  // the source's
    if (loadFailed)
        std::rethrow_exception(loadFailed);
    if (othersFailed)
        std::rethrow_exception(othersFailed);
    bench->load = std::move(*load);
    return std::move(*bench);
}

}  // namespace corvalen::python
