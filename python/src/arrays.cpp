// SPDX-License-Identifier: MIT
#include "arrays.h"

#include "error.h"

#include "touchstone/touchstone.h"

#include <pybind11/complex.h>
#include <pybind11/numpy.h>

#include <cmath>

namespace corvalen::python {
namespace {

namespace py = pybind11;

[[noreturn]] void Refuse(const std::string& subject, const std::string& what)
{
    throw ModuleError(subject + ": " + what);
}

std::string ShapeText(const std::vector<std::size_t>& shape)
{
    std::string text = "(";
    for (std::size_t axis = 0; axis < shape.size(); ++axis)
        text += (axis > 0 ? ", " : "") + std::to_string(shape[axis]);
    return text + (shape.size() == 1 ? ",)" : ")");
}

std::vector<std::size_t> ShapeOf(const py::array& array)
{
    return {array.shape(), array.shape() + array.ndim()};
}

// A numpy array of the object (a list converts), refused unless it holds
// numbers of one of `kinds` (numpy's dtype kinds).
py::array NumberArray(py::handle object, const std::string& subject, const char* kinds, const std::string& wanted)
{
    py::array array = py::array::ensure(object);
    if (!array)
        Refuse(subject, "expected an array of " + wanted + ", not " + std::string(py::str(py::type::of(object).attr("__name__"))));
    const char kind = array.dtype().kind();
    if (std::string_view(kinds).find(kind) == std::string_view::npos)
        Refuse(subject, "expected an array of " + wanted + ", not one of dtype " + std::string(py::str(array.dtype())));
    return array;
}

std::string Number(double value)
{
    return std::isfinite(value) ? touchstone::FrequencyText(value) : std::string(py::str(py::float_(value)));
}

}  // namespace

touchstone::Series<double> FrequencyArray(py::handle object, const std::string& subject)
{
    const std::string what = subject + " frequency_hz";
    const py::array array = NumberArray(object, what, "iuf", "real frequencies in Hz");
    if (array.ndim() != 1 || array.shape(0) == 0)
        Refuse(what, "expected a one-dimensional array of at least one frequency, not one of shape "
                         + ShapeText(ShapeOf(array)));
    const auto values = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
    touchstone::Series<double> frequencyHz(values.data(), values.data() + values.size());
    // Named by index and value, only once one is refused.
    const auto refuse = [&](std::size_t i, const std::string& why) {
        std::string at = "[";
        at.append(std::to_string(i)).append("] = ").append(Number(frequencyHz[i]));
        Refuse(what, at.append(why));
    };
    for (std::size_t i = 0; i < frequencyHz.size(); ++i) {
        if (!std::isfinite(frequencyHz[i]))
            refuse(i, ": frequencies must be finite");
        if (frequencyHz[i] < 0.0)
            refuse(i, ": frequencies must not be negative");
        if (i > 0 && !(frequencyHz[i] > frequencyHz[i - 1]))
            refuse(i, " is not above the one before, " + Number(frequencyHz[i - 1])
                          + ": frequencies must be strictly ascending");
    }
    return frequencyHz;
}

touchstone::Series<std::complex<double>> ComplexArray(py::handle object, const std::string& subject,
                                                      const std::vector<std::size_t>& shape)
{
    const py::array array = NumberArray(object, subject, "iufc", "complex numbers");
    if (ShapeOf(array) != shape)
        Refuse(subject, "expected shape " + ShapeText(shape) + ", one value per frequency, not "
                            + ShapeText(ShapeOf(array)));
    const auto values = py::array_t<std::complex<double>, py::array::c_style | py::array::forcecast>::ensure(array);
    touchstone::Series<std::complex<double>> copied(values.data(), values.data() + values.size());
    for (std::size_t i = 0; i < copied.size(); ++i)
        if (!std::isfinite(copied[i].real()) || !std::isfinite(copied[i].imag()))
            Refuse(subject, "value " + std::to_string(i) + " (in C order) is not finite");
    return copied;
}

std::vector<double> ReferenceArray(py::handle object, const std::string& subject, std::size_t points,
                                   std::size_t ports)
{
    const std::string what = subject + " z0";
    const py::array array = NumberArray(object, what, "iufc", "reference impedances in ohms");
    const std::vector<std::size_t> shape = ShapeOf(array);
    const bool perPort = shape == std::vector<std::size_t>{ports};
    const bool perPoint = shape == std::vector<std::size_t>{points, ports};
    if (!shape.empty() && !perPort && !perPoint)
        Refuse(what, "expected one impedance, one per port " + ShapeText({ports}) + " or one per frequency and port "
                         + ShapeText({points, ports}) + ", not shape " + ShapeText(shape));
    const auto values = py::array_t<std::complex<double>, py::array::c_style | py::array::forcecast>::ensure(array);
    std::vector<double> ohms(points * ports);
    for (std::size_t i = 0; i < ohms.size(); ++i) {
        const std::complex<double> z0 = values.data()[perPoint ? i : perPort ? i % ports : 0];
        if (z0.imag() != 0.0 || !(z0.real() > 0.0) || !std::isfinite(z0.real()))
            Refuse(what, "reference impedances must be real, finite and above 0 ohms; found "
                             + std::string(py::str(py::cast(z0))));
        ohms[i] = z0.real();
    }
    return ohms;
}

}  // namespace corvalen::python
