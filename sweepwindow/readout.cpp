// SPDX-License-Identifier: MIT
#include "readout.h"

#include "cli/row_text.h"
#include "plot/drawing.h"

#include <string>

namespace corvalen::sweepwindow {
QString FourDecimals(double value, const QLocale& locale)
{
    std::string text;
    cli::AppendFourDecimals(text, value);
    return QString::fromStdString(text).replace(QLatin1Char('.'), locale.decimalPoint());
}

QString LocaleFrequencyText(double frequencyHz, const QLocale& locale)
{
    const plot::FrequencyUnit unit = plot::UnitFor(frequencyHz);
    // Digits are never grouped: 1000 GHz reads as a thousand in every locale.
    QLocale ungrouped = locale;
    ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    return ungrouped.toString(frequencyHz / unit.hertz, 'g', 15) + QLatin1Char(' ') + unit.name;
}

std::vector<ReadoutLine> ReadoutLines(const measured::RowValues& row, bool withFrequency, const QLocale& locale)
{
    const QString dB = QStringLiteral("dB");
    const auto value = [&locale](double number) { return FourDecimals(number, locale); };
    // Without every phase measured there is no error to read, and no unit to give it.
    const auto error = [&](const QString& label, const std::optional<double>& number) {
        return number ? ReadoutLine{label, FourDecimals(*number, locale), dB}
                      : ReadoutLine{label, QStringLiteral("unknown"), {}};
    };
    std::vector<ReadoutLine> lines;
    if (withFrequency) {
        const QString text = LocaleFrequencyText(row.frequencyHz, locale);
        lines.push_back({QStringLiteral("Frequency"), text.section(QLatin1Char(' '), 0, 0), text.section(QLatin1Char(' '), 1)});
    }
    lines.insert(lines.end(), {
        {QStringLiteral("Source VSWR"), value(row.source.vswr), {}},
        {QStringLiteral("Source return loss"), value(row.source.returnLossDb), dB},
        {QStringLiteral("Source |G|"), value(row.source.gammaMagnitude), {}},
        {QStringLiteral("Load VSWR"), value(row.load.vswr), {}},
        {QStringLiteral("Load return loss"), value(row.load.returnLossDb), dB},
        {QStringLiteral("Load |G|"), value(row.load.gammaMagnitude), {}},
        {QStringLiteral("Load mismatch loss"), value(row.loadMismatchLossDb), dB},
        {QStringLiteral("Maximum VSWR"), value(row.maxVswr), {}},
        {QStringLiteral("Combined return loss"), value(row.combinedReturnLossDb), dB},
        {QStringLiteral("Uncertainty, plus"), value(row.plusUncertaintyDb), dB},
        {QStringLiteral("Uncertainty, minus"), value(row.minusUncertaintyDb), dB},
        error(QStringLiteral("Mismatch error"), row.mismatchErrorDb),
        {QStringLiteral("Standard uncertainty"), value(row.standardUncertaintyDb), dB},
    });
    if (const auto& through = row.through) {
        lines.insert(lines.end(), {
            {QStringLiteral("Through: uncertainty, plus"), value(through->plusUncertaintyDb), dB},
            {QStringLiteral("Through: uncertainty, minus"), value(through->minusUncertaintyDb), dB},
            error(QStringLiteral("Through: mismatch error"), through->mismatchErrorDb),
            {QStringLiteral("Through: standard uncertainty"), value(through->standardUncertaintyDb), dB},
        });
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
