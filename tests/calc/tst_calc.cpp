// SPDX-License-Identifier: MIT
// The printed numbers and the report, as literal texts a person can check by hand.

#include "calc/report.h"
#include "calc/result_texts.h"

#include <QTest>

using namespace corvalen;
using namespace Qt::Literals::StringLiterals;

class TestCalc : public QObject {
    Q_OBJECT

private slots:

    void formatFixed_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("threeDecimals");
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("tie rounds away from zero") << 3.125f << false << "."_ba << "3.13"_ba;
        QTest::newRow("negative tie rounds away from zero") << -0.0625f << false << "."_ba << "-0.06"_ba;
        QTest::newRow("rounds the shortest form 1.515") << 1.51499998f << false << "."_ba << "1.52"_ba;
        QTest::newRow("below a tie rounds down") << 1.5749999f << false << "."_ba << "1.57"_ba;
        QTest::newRow("carry into a new digit") << 9.995f << false << "."_ba << "10.00"_ba;
        QTest::newRow("carry through three decimals") << 0.9995f << true << "."_ba << "1.000"_ba;
        QTest::newRow("negative zero has no minus") << -0.0f << false << "."_ba << "0.00"_ba;
        QTest::newRow("negative that prints as zero") << -0.0004f << true << "."_ba << "0.000"_ba;
        QTest::newRow("negative three decimals") << -0.5985f << true << "."_ba << "-0.599"_ba;
        QTest::newRow("whole number gets zeros") << 25.0f << false << "."_ba << "25.00"_ba;
        QTest::newRow("decimal comma") << 13.98f << false << ","_ba << "13,98"_ba;
        QTest::newRow("several-byte decimal mark") << 0.2f << true << "\u066B"_ba << "0\u066B200"_ba;
    }

    void formatFixed()
    {
        QFETCH(float, value);
        QFETCH(bool, threeDecimals);
        QFETCH(QByteArray, mark);
        QFETCH(QByteArray, expected);
        const Pattern pattern = threeDecimals ? Pattern::ThreeDecimals : Pattern::TwoDecimals;
        QCOMPARE(QByteArray::fromStdString(FormatFixed(value, pattern, mark.toStdString())), expected);
    }

    void returnLossEdge_data()
    {
        QTest::addColumn<float>("returnLossDb");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("70 dB is still a number") << 70.0f << "Return Loss = 70.00 dB"_ba;
        QTest::newRow("just above 70 dB") << 70.001f << "Return Loss > 70 dB"_ba;
        QTest::newRow("the floor of VSWR 1.00") << 2000.0f << "Return Loss > 70 dB"_ba;
    }

    void returnLossEdge()
    {
        QFETCH(float, returnLossDb);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(ReturnLossText(returnLossDb)), expected);
    }

    void outputTexts_data()
    {
        QTest::addColumn<int>("bar1");
        QTest::addColumn<int>("bar2");
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("expected");

        // Each of these texts changes if a rounding to float is left out or moved.
        QTest::newRow("1.50 x 1.05 is 1.5749999 as floats") << 150 << 105 << "lblMaxVSWR"_ba << "Maximum VSWR = 1.57"_ba;
        QTest::newRow("combined RL from rounded VSWRs") << 107 << 145 << "lblTotalReturnLoss"_ba << "Combined Return Loss = 13.30 dB"_ba;
        QTest::newRow("plus limit from rounded gammas") << 107 << 311 << "lblPlusMisMatch"_ba << "Plus Uncertainty = 0.150 dB"_ba;
        QTest::newRow("maximum VSWR 1.85 x 3.11") << 185 << 311 << "lblMaxVSWR"_ba << "Maximum VSWR = 5.75"_ba;
        QTest::newRow("1.01 alone") << 101 << 100 << "lblRL1"_ba << "Return Loss = 46.06 dB"_ba;
        QTest::newRow("1.01 and 1.00 combined") << 101 << 100 << "lblTotalReturnLoss"_ba << "Combined Return Loss = 46.06 dB"_ba;
        QTest::newRow("one side matched") << 100 << 200 << "lblPlusMisMatch"_ba << "Plus Uncertainty = 0.000 dB"_ba;
        QTest::newRow("one side matched, minus") << 100 << 200 << "lblMinusMisMatch"_ba << "Minus Uncertainty = 0.000 dB"_ba;
        QTest::newRow("1.37 / 2.63 mismatch loss") << 137 << 263 << "lblMismatchLoss"_ba << "Mismatch Loss @ Load = 0.98 dB"_ba;
        QTest::newRow("1.37 / 2.63 gamma 2") << 137 << 263 << "lblGamma2"_ba << "Gamma 2 = 0.449"_ba;
        QTest::newRow("far end, max VSWR") << 500 << 500 << "lblMaxVSWR"_ba << "Maximum VSWR = 25.00"_ba;
        QTest::newRow("far end, combined RL") << 500 << 500 << "lblTotalReturnLoss"_ba << "Combined Return Loss = 0.70 dB"_ba;
        QTest::newRow("far end, plus") << 500 << 500 << "lblPlusMisMatch"_ba << "Plus Uncertainty = 3.194 dB"_ba;
        QTest::newRow("far end, minus") << 500 << 500 << "lblMinusMisMatch"_ba << "Minus Uncertainty = -5.105 dB"_ba;
        QTest::newRow("far end, mismatch loss") << 500 << 500 << "lblMismatchLoss"_ba << "Mismatch Loss @ Load = 2.55 dB"_ba;
    }

    void outputTexts()
    {
        QFETCH(int, bar1);
        QFETCH(int, bar2);
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, expected);
        const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
        const auto row = std::find_if(kOutputLabels.begin(), kOutputLabels.end(), [&](const OutputLabel& l) {
            return label.toStdString() == l.name;
        });
        QVERIFY(row != kOutputLabels.end());
        QCOMPARE(QByteArray::fromStdString(texts.*row->text), expected);
    }

    void report_data()
    {
        QTest::addColumn<int>("bar1");
        QTest::addColumn<int>("bar2");
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("start") << 100 << 100 << "."_ba
            << QByteArray("VSWR 1 (Source) = 1.00  Return Loss > 70 dB\r\nVSWR 2 (Load) = 1.00  Return Loss > 70 dB\r\n\r\n"
                          "Gamma 1 = 0.000\r\nGamma 2 = 0.000\r\n\r\nMaximum VSWR = 1.00\r\nCombined Return Loss = Infinite\r\n\r\n"
                          "Plus Uncertainty = 0.000 dB\r\nMinus Uncertainty = 0.000 dB\r\n\r\nMismatch Loss @ Load = 0.00 dB\r\n\r\n");
        QTest::newRow("1.50 and 2.00, decimal comma") << 150 << 200 << ","_ba
            << QByteArray("VSWR 1 (Source) = 1,50  Return Loss = 13,98 dB\r\nVSWR 2 (Load) = 2,00  Return Loss = 9,54 dB\r\n\r\n"
                          "Gamma 1 = 0,200\r\nGamma 2 = 0,333\r\n\r\nMaximum VSWR = 3,00\r\nCombined Return Loss = 6,02 dB\r\n\r\n"
                          "Plus Uncertainty = 0,561 dB\r\nMinus Uncertainty = -0,599 dB\r\n\r\nMismatch Loss @ Load = 0,51 dB\r\n\r\n");
    }

    void report()
    {
        QFETCH(int, bar1);
        QFETCH(int, bar2);
        QFETCH(QByteArray, mark);
        QFETCH(QByteArray, expected);
        const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2), mark.toStdString());
        QCOMPARE(QByteArray::fromStdString(BuildReport(texts)), expected);
    }
};

QTEST_APPLESS_MAIN(TestCalc)
#include "tst_calc.moc"
