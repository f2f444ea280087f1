// SPDX-License-Identifier: MIT
#pragma once

// The values of one row as a person reads them: a label, the value with the
// CLI's four decimals in the locale's decimal mark, and its unit.

#include "measured/values.h"

#include <QLocale>
#include <QString>

#include <vector>

namespace corvalen::sweepwindow {

struct ReadoutLine {
    QString label;
    QString value;
    QString unit;
};

// The CLI's four decimals (inf and -inf where a limit has no value) with the locale's decimal mark.
QString FourDecimals(double value, const QLocale& locale);

// A frequency in the unit the plot's axis uses, to every digit a file can give,
// with the locale's decimal mark: "2,45 GHz".
QString LocaleFrequencyText(double frequencyHz, const QLocale& locale);

// Frequency first (left out when the row has none, as one-off values of fixed
// sides), then every column of the sweep's row and each side's |G|.
std::vector<ReadoutLine> ReadoutLines(const measured::RowValues& row, bool withFrequency, const QLocale& locale);

// One labelled value a line, CR LF ended like the calculator's report.
QString ReadoutReport(const std::vector<ReadoutLine>& lines);

}  // namespace corvalen::sweepwindow
