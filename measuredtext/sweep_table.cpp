// SPDX-License-Identifier: MIT
#include "sweep_table.h"

#include "row_text.h"

#include "touchstone/touchstone.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

namespace corvalen::cli {
namespace {

// The direct pair's columns, then the pair through the two-ports'.
constexpr std::string_view kColumns[] = {
    "frequency_hz", "source_vswr", "source_return_loss_db", "load_vswr", "load_return_loss_db",
    "load_mismatch_loss_db", "max_vswr", "combined_return_loss_db", "plus_uncertainty_db",
    "minus_uncertainty_db", "mismatch_error_db", "standard_uncertainty_db",
    "through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_mismatch_error_db",
    "through_standard_uncertainty_db"};
constexpr std::size_t kColumnsWithoutTwoPort = 12;

}  // namespace

std::string SweepHeader(bool withTwoPort, char separator)
{
    return HeaderLine(std::span(kColumns).first(withTwoPort ? std::size(kColumns) : kColumnsWithoutTwoPort),
                      separator);
}

// A row is written whole into room on the stack and appended once: appending
// each number took a fifth of the rows' time in the copies alone.
void AppendSweepRow(std::string& text, const measured::RowValues& row, char separator)
{
    char line[std::size(kColumns) * (kFourDecimalsRoom + 1)];
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

}  // namespace corvalen::cli
