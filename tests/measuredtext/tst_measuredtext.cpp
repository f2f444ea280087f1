// SPDX-License-Identifier: MIT
// The texts of measured data that both programs print: each column of the sweep
// table under its own name, the frequency and value forms with their refusals
// (naming no program), and each side's trace on the Smith chart.

#include "measuredtext/chart_series.h"
#include "measuredtext/quantities.h"
#include "measuredtext/row_text.h"
#include "measuredtext/sweep_table.h"
#include "measuredtext/value_forms.h"

#include <QTest>

#include <optional>

using namespace corvalen;
using namespace corvalen::measuredtext;

class TestMeasuredText : public QObject {
    Q_OBJECT

private slots:

    // A row whose every value differs, so that a value under another's column shows.
    void sweepRowUnderItsColumns_data()
    {
        QTest::addColumn<bool>("withTwoPort");
        QTest::addColumn<int>("columns");
        QTest::newRow("direct") << false << 12;
        QTest::newRow("through two-ports") << true << 16;
    }

    void sweepRowUnderItsColumns()
    {
        QFETCH(bool, withTwoPort);
        QFETCH(int, columns);
        measured::RowValues row{2.5e9, {1.1, 26.4, 0.05}, {1.2, 20.8, 0.09}, 0.03, 1.32, 17.2, {0.04, -0.05, 0.01, 0.02}, {}};
        if (withTwoPort)
            row.through = measured::MismatchValues{0.06, -0.07, std::nullopt, 0.03};
        const QStringList header = QString::fromStdString(SweepHeader(withTwoPort, '\t')).trimmed().split(u'\t');
        std::string line;
        AppendSweepRow(line, row, '\t');
        const QStringList values = QString::fromStdString(line).chopped(1).split(u'\t');
        QCOMPARE(header.size(), columns);
        QCOMPARE(values.size(), columns);
        QCOMPARE(values[0], u"2500000000"_qs);
        for (const Quantity& quantity : Quantities()) {
            const qsizetype at = header.indexOf(QString::fromUtf8(quantity.column));
            if (quantity.column.empty() || at < 1)
                continue;
            std::string expected;
            if (const std::optional<double> value = quantity.value(row))
                AppendFourDecimals(expected, *value);
            QCOMPARE(values[at], QString::fromStdString(expected));
        }
    }

    void frequencyForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("hertz");  // -1: refused
        QTest::newRow("GHz after a blank") << u"2.4 GHz"_qs << 2.4e9;
        QTest::newRow("MHz in any case, no blank") << u"800mhz"_qs << 800e6;
        QTest::newRow("kHz") << u"10 KHZ"_qs << 10e3;
        QTest::newRow("Hz") << u"5 Hz"_qs << 5.0;
        QTest::newRow("no unit is hertz") << u"1000000"_qs << 1e6;
        QTest::newRow("an exponent") << u"2.4e9"_qs << -1.0;
        QTest::newRow("a unit alone") << u"GHz"_qs << -1.0;
        QTest::newRow("a unit not in the table") << u"1 THz"_qs << -1.0;
        QTest::newRow("a blank after the number") << u"100 "_qs << -1.0;
    }

    void frequencyForms()
    {
        QFETCH(QString, text);
        QFETCH(double, hertz);
        const std::optional<double> read = ParseFrequencyHz(text.toStdString());
        QCOMPARE(read.value_or(-1.0), hertz);
    }

    // What the window shows as it is, and corvalen-cli after its name.
    void refusalsNameNoProgram_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("a VSWR below 1") << u"LOAD"_qs << u"vswr=0.5"_qs << u"LOAD 'vswr=0.5': a VSWR must be at least 1"_qs;
        QTest::newRow("a return loss below 0") << u"SOURCE"_qs << u"rl=-3"_qs
            << u"SOURCE 'rl=-3': expected a return loss in dB of at least 0, such as rl=23"_qs;
        QTest::newRow("a pad's loss not a number") << u"--through"_qs << u"loss=x"_qs
                                                   << u"--through 'loss=x': loss: not a number"_qs;
        QTest::newRow("an impedance of 0") << u"--z0"_qs << u"0"_qs
            << u"--z0 '0': expected an impedance in ohms above 0, such as 50 or 75"_qs;
    }

    void refusalsNameNoProgram()
    {
        QFETCH(QString, form);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const std::string given = text.toStdString();
        std::optional<InputError> error;
        if (form == u"--through") {
            if (auto twoPort = ParseTwoPort(given); auto* e = std::get_if<InputError>(&twoPort))
                error = *e;
        } else if (form == u"--z0") {
            if (auto ohms = ParseOhms(given); auto* e = std::get_if<InputError>(&ohms))
                error = *e;
        } else if (auto fixed = ParseFixedValue(form.toStdString(), given); fixed) {
            if (auto* e = std::get_if<InputError>(&*fixed))
                error = *e;
        }
        QVERIFY(error);
        QCOMPARE(QString::fromStdString(error->message), message);
    }

    // The source's trace conjugated, cut to the band at the file's own
    // frequencies; a fixed side is a circle of its |G|.
    void smithSeries()
    {
        measured::Reflection reflection;
        for (const double ghz : {1.0, 2.0, 3.0, 4.0}) {
            reflection.frequencyHz.push_back(ghz * 1e9);
            reflection.gamma.push_back({0.1 * ghz, 0.2 * ghz});
        }
        const measured::Side side{"amp.s2p:S22", reflection};
        const SmithSeries source = SmithSeriesOf(side, SmithSide::SourceConjugate, {1.5e9, 3e9});
        QCOMPARE(std::vector(source.frequencyHz.begin(), source.frequencyHz.end()), (std::vector{2e9, 3e9}));
        QCOMPARE(source.real, (std::vector{0.2, 0.30000000000000004}));
        QCOMPARE(source.imaginary, (std::vector{-0.4, -0.6000000000000001}));
        QCOMPARE(source.name, std::string("amp.s2p:S22"));
        const SmithSeries load = SmithSeriesOf(side, SmithSide::Load);
        QCOMPARE(load.frequencyHz.size(), std::size_t{4});
        QCOMPARE(load.imaginary.back(), 0.8);
        const SmithSeries fixed = SmithSeriesOf({"1.5", measured::SideValues{1.5, 13.98, 0.2}}, SmithSide::Load);
        QVERIFY(fixed.frequencyHz.empty() && fixed.real.empty());
        QCOMPARE(fixed.fixedGammaMagnitude, 0.2);
    }
};

QTEST_MAIN(TestMeasuredText)
#include "tst_measuredtext.moc"
