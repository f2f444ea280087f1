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

namespace {

// The limits, the error and the standard uncertainty, directly or through the two-port.
void AppendMismatch(std::vector<ReadoutLine>& lines, const measured::MismatchValues& values, bool through,
                    const QLocale& locale)
{
    const QString dB = QStringLiteral("dB");
    const QString prefix = through ? QStringLiteral("Through: u") : QStringLiteral("U");
    const QString errorLabel = through ? QStringLiteral("Through: mismatch error") : QStringLiteral("Mismatch error");
    const QString spreadLabel =
        through ? QStringLiteral("Through: standard uncertainty") : QStringLiteral("Standard uncertainty");
    lines.push_back({prefix + QStringLiteral("ncertainty, plus"), FourDecimals(values.plusUncertaintyDb, locale), dB});
    lines.push_back({prefix + QStringLiteral("ncertainty, minus"), FourDecimals(values.minusUncertaintyDb, locale), dB});
    // Without every phase measured there is no error to read; with every phase
    // measured the error is known and has no spread.
    if (values.mismatchErrorDb)
        lines.push_back({errorLabel, FourDecimals(*values.mismatchErrorDb, locale), dB});
    else
        lines.push_back({errorLabel, QStringLiteral("unknown"), {}});
    if (values.standardUncertaintyDb)
        lines.push_back({spreadLabel, FourDecimals(*values.standardUncertaintyDb, locale), dB});
    else
        lines.push_back({spreadLabel, QStringLiteral("none"), {}});
}

}  // namespace

std::vector<ReadoutLine> ReadoutLines(const measured::RowValues& row, bool withFrequency, const QLocale& locale)
{
    const QString dB = QStringLiteral("dB");
    const auto value = [&locale](double number) { return FourDecimals(number, locale); };
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
    });
    AppendMismatch(lines, row.direct, false, locale);
    if (row.through)
        AppendMismatch(lines, *row.through, true, locale);
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
