// SPDX-License-Identifier: MIT
#include "error.h"

#include "touchstone/touchstone.h"

#include <optional>

namespace corvalen::python {
namespace {

namespace py = pybind11;

constexpr const char* kErrorDoc =
    "Raised for any input that cannot be used: a file that cannot be read, a value form\n"
    "that is not one, an array of the wrong shape or type, frequencies that are not\n"
    "finite or not ascending.\n\n"
    "str(error) is the line corvalen-cli prints without its name, such as\n"
    "'load.s1p:6: expected 3 numbers for a frequency ...'. Its attributes:\n"
    "file (str or None), line (int or None) and message (str, what is wrong).";

// The class as the module holds it: the translator can capture nothing, and
// the module is in sys.modules whenever one of its functions runs.
void Raise(const std::optional<std::string>& file, long line, const std::string& message, const std::string& text)
{
    const py::object type = py::module_::import("corvalen._corvalen").attr("Error");
    py::object error = type(text);
    error.attr("file") = file ? py::cast(*file) : py::none();
    error.attr("line") = line > 0 ? py::cast(line) : py::none();
    error.attr("message") = message;
    PyErr_SetObject(type.ptr(), error.ptr());
}

}  // namespace

void RegisterError(py::module_& module)
{
    const auto type = py::reinterpret_steal<py::object>(
        PyErr_NewExceptionWithDoc("corvalen.Error", kErrorDoc, PyExc_ValueError, nullptr));
    if (!type)
        throw py::error_already_set();
    module.add_object("Error", type);
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const touchstone::MeasuredError& error) {
            Raise(error.file(), error.line(), error.what(), error.Located());
        } catch (const ModuleError& error) {
            Raise(std::nullopt, 0, error.what(), error.what());
        }
    });
}

}  // namespace corvalen::python
