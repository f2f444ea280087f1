// SPDX-License-Identifier: MIT
#include "text_forms.h"

#include "module_error.h"

#include "cli/sweep_table.h"
#include "cli/value_forms.h"
#include "touchstone/touchstone.h"

#include <charconv>
#include <string>

namespace corvalen::python {
namespace {

// The library's messages start with the command-line program's name and its
// option's; the module names its own argument instead.
std::string Message(const cli::UsageError& error, std::string_view option, std::string_view role)
{
    std::string text = error.message;
    constexpr std::string_view kProgram = "corvalen-cli: ";
    if (text.starts_with(kProgram))
        text.erase(0, kProgram.size());
    if (!option.empty() && text.starts_with(option))
        text.replace(0, option.size(), role);
    return text;
}

}  // namespace

measured::SideInput ParseSideForm(std::string_view role, std::string_view text)
{
    if (auto fixed = cli::ParseFixedValue(role, text)) {
        if (const auto* error = std::get_if<cli::UsageError>(&*fixed))
            throw ModuleError(Message(*error, {}, role));
        return {std::string(text), std::get<measured::SideValues>(*fixed)};
    }
    auto [path, choice] = touchstone::SplitFileChoice(text);
    if (path.empty())
        throw ModuleError(cli::Quoted(role, text)
                          + ": expected a Touchstone file, FILE:Skk or a fixed value such as 1.5 or rl=20");
    return {std::string(text), measured::ReflectionFile{std::move(path), std::move(choice)}};
}

measured::TwoPortInput ParseTwoPortForm(std::string_view role, std::string_view text)
{
    auto twoPort = cli::ParseTwoPort(text);
    if (const auto* error = std::get_if<cli::UsageError>(&twoPort))
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

std::vector<std::string> SweepColumnNames(bool withChain)
{
    const std::string header = cli::SweepHeader(withChain, '\t');
    std::vector<std::string> names;
    for (std::size_t start = 0; start < header.size();) {
        const std::size_t end = header.find_first_of("\t\n", start);
        names.push_back(header.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace corvalen::python
