// SPDX-License-Identifier: MIT
#include "measuredtext/sweep_table.h"

#include "measuredtext/quantities.h"
#include "measuredtext/row_text.h"

#include "touchstone/touchstone.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace corvalen::measuredtext {

std::string SweepHeader(bool withTwoPort, char separator)
{
    std::vector<std::string_view> columns;
    for (const Quantity& quantity : Quantities())
        if (!quantity.column.empty() && (withTwoPort || quantity.part != Part::Through))
            columns.push_back(quantity.column);
    return HeaderLine(columns, separator);
}

// A row is written whole into room on the stack and appended once: appending
// each number took a fifth of the rows' time in the copies alone. The values
// are taken in the order of the table's columns by hand rather than through
// the quantities' functions, which would cost a call for each number.
void AppendSweepRow(std::string& text, const measured::RowValues& row, char separator)
{
    constexpr std::size_t kMostColumns = 16;
    char line[kMostColumns * (kFourDecimalsRoom + 1)];
    const std::string frequency = touchstone::FrequencyText(row.frequencyHz);
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
          row.maxVswr, row.combinedReturnLossDb})
        number(value);
    for (const auto* mismatch : {&row.direct, row.through ? &*row.through : nullptr}) {
        if (!mismatch)
            break;
        number(mismatch->plusUncertaintyDb);
        number(mismatch->minusUncertaintyDb);
        optionalNumber(mismatch->mismatchErrorDb);
        optionalNumber(mismatch->standardUncertaintyDb);
    }
    *end++ = '\n';
    text.append(line, end);
}

}  // namespace corvalen::measuredtext
