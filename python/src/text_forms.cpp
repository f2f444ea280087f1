// SPDX-License-Identifier: MIT
#include "text_forms.h"

#include "module_error.h"

#include "measuredtext/messages.h"
#include "measuredtext/quantities.h"
#include "measuredtext/value_forms.h"
#include "touchstone/touchstone.h"

#include <charconv>
#include <string>

namespace corvalen::python {
namespace {

// The library names the command line's option; the module names its own argument.
std::string Message(const measuredtext::InputError& error, std::string_view option, std::string_view role)
{
    std::string text = error.message;
    if (!option.empty() && text.starts_with(option))
        text.replace(0, option.size(), role);
    return text;
}

}  // namespace

measured::SideInput ParseSideForm(std::string_view role, std::string_view text)
{
    if (auto fixed = measuredtext::ParseFixedValue(role, text)) {
        if (const auto* error = std::get_if<measuredtext::InputError>(&*fixed))
            throw ModuleError(error->message);
        return {std::string(text), std::get<measured::SideValues>(*fixed)};
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    if (path.empty())
        throw ModuleError(measuredtext::Quoted(role, text)
                          + ": expected a Touchstone file, FILE:Skk or a fixed value such as 1.5 or rl=20");
    return {std::string(text), measured::ReflectionFile{std::move(path), std::move(choice)}};
}

measured::TwoPortInput ParseTwoPortForm(std::string_view role, std::string_view text)
{
    auto twoPort = measuredtext::ParseTwoPort(text);
    if (const auto* error = std::get_if<measuredtext::InputError>(&twoPort))
        throw ModuleError(Message(*error, "--through", role));
    return std::get<measured::TwoPortInput>(std::move(twoPort));
}

double CoverageProbability(double percent)
{
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer - 4, percent);
    std::string hundredths(buffer, written.ptr);
    hundredths += "e-2";
    double probability = 0.0;
    std::from_chars(hundredths.data(), hundredths.data() + hundredths.size(), probability);
    return probability;
}

std::vector<const measuredtext::Quantity*> SweepQuantities(bool withChain)
{
    std::vector<const measuredtext::Quantity*> columns;
    for (const measuredtext::Quantity& quantity : measuredtext::Quantities())
        if (!quantity.column.empty() && (withChain || quantity.part != measuredtext::Part::Through))
            columns.push_back(&quantity);
    return columns;
}

}  // namespace corvalen::python
