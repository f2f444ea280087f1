// SPDX-License-Identifier: MIT
#include "measuredtext/verdict.h"

#include "measuredtext/row_text.h"

#include <charconv>
#include <cmath>

namespace corvalen::measuredtext {

std::string_view ChainSubject(std::size_t elements)
{
    return elements == 1 ? "The two-port" : "The chain";
}

std::string Verdict(const measured::RowValues& row, std::string_view twoPorts)
{
    const auto decimals = [](double value) {
        std::string text;
        AppendFourDecimals(text, value);
        return text;
    };
    const double direct = row.direct.plusUncertaintyDb - row.direct.minusUncertaintyDb;
    const double between = row.through->plusUncertaintyDb - row.through->minusUncertaintyDb;
    const std::string subject(twoPorts);
    if (std::isinf(between) || std::isinf(direct))
        return std::isinf(between) && std::isinf(direct) ? "Neither limit pair has a finite lower limit.\n"
               : std::isinf(between) ? subject + " widens the limits: through it the lower limit has no finite value.\n"
                                     : subject + " narrows the limits to a finite width of " + decimals(between) + " dB.\n";
    if (between == direct)
        return subject + " leaves the limits as wide as without it.\n";
    std::string percent;
    if (direct > 0.0) {
        char buffer[32];
        percent = ", to " + std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, 100.0 * between / direct,
                                                             std::chars_format::fixed, 1).ptr)
                  + " % of their width without it";
    }
    return subject + (between < direct ? " narrows" : " widens") + " the limits by "
           + decimals(std::abs(direct - between)) + " dB" + percent + ".\n";
}

}  // namespace corvalen::measuredtext
