// SPDX-License-Identifier: MIT
#include "readout.h"

#include "measuredtext/frequency_units.h"
#include "measuredtext/quantities.h"
#include "measuredtext/row_text.h"

#include <optional>
#include <string>

namespace corvalen::sweepwindow {
QString FourDecimals(double value, const QLocale& locale)
{
    std::string text;
    measuredtext::AppendFourDecimals(text, value);
    return QString::fromStdString(text).replace(QLatin1Char('.'), locale.decimalPoint());
}

QString LocaleFrequencyText(double frequencyHz, const QLocale& locale)
{
    const measuredtext::FrequencyUnit& unit = measuredtext::UnitFor(frequencyHz);
    // Digits are never grouped: 1000 GHz reads as a thousand in every locale.
    QLocale ungrouped = locale;
    ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    return ungrouped.toString(frequencyHz / unit.hertz, 'g', 15) + QLatin1Char(' ')
           + QString::fromUtf8(unit.name.data(), static_cast<qsizetype>(unit.name.size()));
}

std::vector<ReadoutLine> ReadoutLines(const measured::RowValues& row, bool withFrequency, const QLocale& locale)
{
    using measuredtext::Part;
    std::vector<ReadoutLine> lines;
    for (const measuredtext::Quantity& quantity : measuredtext::Quantities()) {
        const QString label = QString::fromStdString(measuredtext::ReadoutLabel(quantity));
        if (quantity.part == Part::Frequency) {
            // In the unit the charts use rather than the table's hertz.
            const QString text = LocaleFrequencyText(row.frequencyHz, locale);
            if (withFrequency)
                lines.push_back({label, text.section(QLatin1Char(' '), 0, 0), text.section(QLatin1Char(' '), 1)});
            continue;
        }
        if (quantity.part == Part::Through && !row.through)
            break;
        const std::optional<double> value = quantity.value(row);
        if (value)
            lines.push_back({label, FourDecimals(*value, locale), QString::fromUtf8(quantity.unit)});
        else
            lines.push_back({label, QString::fromUtf8(quantity.absent), {}});
    }
    return lines;
}

QString ReadoutReport(const std::vector<ReadoutLine>& lines)
{
    QString report;
    for (const ReadoutLine& line : lines) {
        report += line.label + QStringLiteral(": ") + line.value;
        if (!line.unit.isEmpty())
            report += QLatin1Char(' ') + line.unit;
        report += QStringLiteral("\r\n");
    }
    return report;
}

}  // namespace corvalen::sweepwindow
