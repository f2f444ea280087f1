// SPDX-License-Identifier: MIT
// The output texts: number formatting and rounding, the 70 dB rule, the
// infinite pair, and the shape of every text over every pair of bars.

#include "output_labels.h"
#include "result_texts.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace corvalen;

class TestResultTexts : public QObject {
    Q_OBJECT

private slots:
    void formatFixed_data();
    void formatFixed();
    void formatFixedRejectsNonFinite();
    void returnLossCeiling_data();
    void returnLossCeiling();
    void outputTexts_data();
    void outputTexts();
    void commaDecimalMark();
    void everyPairTextHasItsShape();
};

void TestResultTexts::formatFixed_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("threeDecimals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two decimals") << 13.979400f << false << "13.98";
    QTest::newRow("keeps leading zero") << 0.5f << false << "0.50";
    QTest::newRow("pads with zeros") << 3.0f << false << "3.00";
    QTest::newRow("three decimals") << 0.2f << true << "0.200";
    QTest::newRow("two integer digits") << 25.0f << false << "25.00";
    QTest::newRow("four integer digits") << 2000.0f << false << "2000.00";
    QTest::newRow("no grouping") << 1234567.0f << false << "1234567.00";
    QTest::newRow("negative") << -0.599f << true << "-0.599";
    QTest::newRow("negative rounds away") << -5.1046f << true << "-5.105";
    QTest::newRow("exact tie rounds away") << 3.125f << false << "3.13";
    QTest::newRow("negative tie rounds away") << -3.125f << false << "-3.13";
    QTest::newRow("shortest form 1.515 rounds up") << 1.51499998f << false << "1.52";
    QTest::newRow("shortest form 1.6685 rounds up") << 1.66849995f << true << "1.669";
    QTest::newRow("just below a tie rounds down") << 1.5149f << false << "1.51";
    QTest::newRow("carry into integer") << 9.996f << false << "10.00";
    QTest::newRow("carry through nines") << 99.9999f << true << "100.000";
    QTest::newRow("zero") << 0.0f << false << "0.00";
    QTest::newRow("negative zero has no sign") << -0.0f << false << "0.00";
    QTest::newRow("tiny negative has no sign") << -0.000214856f << true << "0.000";
    QTest::newRow("negative half unit keeps sign") << -0.0005f << true << "-0.001";
    QTest::newRow("subnormal") << std::numeric_limits<float>::denorm_min() << true << "0.000";
}

void TestResultTexts::formatFixed()
{
    QFETCH(float, value);
    QFETCH(bool, threeDecimals);
    QFETCH(QString, expected);
    const Pattern pattern = threeDecimals ? Pattern::ThreeDecimals : Pattern::TwoDecimals;
    QCOMPARE(QString::fromStdString(FormatFixed(value, pattern)), expected);
}

void TestResultTexts::formatFixedRejectsNonFinite()
{
    QVERIFY_THROWS_EXCEPTION(std::domain_error, FormatFixed(std::numeric_limits<float>::infinity(), Pattern::TwoDecimals));
    QVERIFY_THROWS_EXCEPTION(std::domain_error, FormatFixed(-std::numeric_limits<float>::infinity(), Pattern::TwoDecimals));
    QVERIFY_THROWS_EXCEPTION(std::domain_error, FormatFixed(std::nanf(""), Pattern::ThreeDecimals));
}

void TestResultTexts::returnLossCeiling_data()
{
    QTest::addColumn<float>("returnLossDb");
    QTest::addColumn<QString>("expected");

    QTest::newRow("exactly 70 is printed") << 70.0f << "Return Loss = 70.00 dB";
    QTest::newRow("next float above 70") << std::nextafter(70.0f, 100.0f) << "Return Loss > 70 dB";
    QTest::newRow("just below 70") << 69.996f << "Return Loss = 70.00 dB";
    QTest::newRow("floor of VSWR 1.00") << 2000.0f << "Return Loss > 70 dB";
    QTest::newRow("VSWR 1.01") << 46.0639f << "Return Loss = 46.06 dB";
}

void TestResultTexts::returnLossCeiling()
{
    QFETCH(float, returnLossDb);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(ReturnLossText(returnLossDb)), expected);
}

void TestResultTexts::outputTexts_data()
{
    QTest::addColumn<int>("bar1");
    QTest::addColumn<int>("bar2");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");

    // Return and mismatch losses as a common VSWR table prints them.
    QTest::newRow("VSWR 1.20 return loss") << 100 << 120 << "lblRL2" << "Return Loss = 20.83 dB";
    QTest::newRow("VSWR 1.20 mismatch loss") << 100 << 120 << "lblMismatchLoss" << "Mismatch Loss @ Load = 0.04 dB";
    QTest::newRow("VSWR 1.80 return loss") << 180 << 180 << "lblRL1" << "Return Loss = 10.88 dB";
    QTest::newRow("VSWR 1.80 mismatch loss") << 100 << 180 << "lblMismatchLoss" << "Mismatch Loss @ Load = 0.37 dB";
    QTest::newRow("VSWR 3.00 return loss") << 300 << 100 << "lblRL1" << "Return Loss = 6.02 dB";
    QTest::newRow("VSWR 3.00 mismatch loss") << 100 << 300 << "lblMismatchLoss" << "Mismatch Loss @ Load = 1.25 dB";
    QTest::newRow("VSWR 5.00 return loss") << 100 << 500 << "lblRL2" << "Return Loss = 3.52 dB";
    QTest::newRow("VSWR 5.00 mismatch loss") << 100 << 500 << "lblMismatchLoss" << "Mismatch Loss @ Load = 2.55 dB";
    // Published uncertainty limits for a 1.5:1 source into a 1.2:1 load.
    QTest::newRow("1.50 into 1.20 plus") << 150 << 120 << "lblPlusMisMatch" << "Plus Uncertainty = 0.157 dB";
    QTest::newRow("1.50 into 1.20 minus") << 150 << 120 << "lblMinusMisMatch" << "Minus Uncertainty = -0.159 dB";

    QTest::newRow("VSWR 1.00 mismatch loss unsigned") << 100 << 100 << "lblMismatchLoss" << "Mismatch Loss @ Load = 0.00 dB";
    QTest::newRow("VSWR 1.01 return loss") << 101 << 100 << "lblRL1" << "Return Loss = 46.06 dB";
    QTest::newRow("VSWR 1.01 gamma keeps leading zero") << 101 << 100 << "lblGamma1" << "Gamma 1 = 0.005";
    QTest::newRow("101/100 is finite") << 101 << 100 << "lblTotalReturnLoss" << "Combined Return Loss = 46.06 dB";
    QTest::newRow("100/200 takes the load's loss") << 100 << 200 << "lblTotalReturnLoss" << "Combined Return Loss = 9.54 dB";
    QTest::newRow("100/200 plus is zero") << 100 << 200 << "lblPlusMisMatch" << "Plus Uncertainty = 0.000 dB";
    QTest::newRow("100/200 minus is zero") << 100 << 200 << "lblMinusMisMatch" << "Minus Uncertainty = 0.000 dB";
    QTest::newRow("137/263 source loss") << 137 << 263 << "lblRL1" << "Return Loss = 16.13 dB";
    QTest::newRow("137/263 load loss") << 137 << 263 << "lblRL2" << "Return Loss = 6.95 dB";
    QTest::newRow("137/263 mismatch loss") << 137 << 263 << "lblMismatchLoss" << "Mismatch Loss @ Load = 0.98 dB";
    QTest::newRow("137/263 max VSWR") << 137 << 263 << "lblMaxVSWR" << "Maximum VSWR = 3.60";
    QTest::newRow("137/263 combined") << 137 << 263 << "lblTotalReturnLoss" << "Combined Return Loss = 4.95 dB";
    QTest::newRow("137/263 plus") << 137 << 263 << "lblPlusMisMatch" << "Plus Uncertainty = 0.589 dB";
    QTest::newRow("137/263 minus") << 137 << 263 << "lblMinusMisMatch" << "Minus Uncertainty = -0.631 dB";
    QTest::newRow("137/263 gamma 1") << 137 << 263 << "lblGamma1" << "Gamma 1 = 0.156";
    QTest::newRow("137/263 gamma 2") << 137 << 263 << "lblGamma2" << "Gamma 2 = 0.449";
    QTest::newRow("500/500 max VSWR") << 500 << 500 << "lblMaxVSWR" << "Maximum VSWR = 25.00";
    QTest::newRow("500/500 combined") << 500 << 500 << "lblTotalReturnLoss" << "Combined Return Loss = 0.70 dB";
    QTest::newRow("500/500 plus") << 500 << 500 << "lblPlusMisMatch" << "Plus Uncertainty = 3.194 dB";
    QTest::newRow("500/500 minus") << 500 << 500 << "lblMinusMisMatch" << "Minus Uncertainty = -5.105 dB";
    QTest::newRow("500/500 gamma") << 500 << 500 << "lblGamma2" << "Gamma 2 = 0.667";
    // Rounding: an exact tie, and shortest forms 1.515 and 1.6685, all away from zero.
    QTest::newRow("125/250 tie") << 125 << 250 << "lblMaxVSWR" << "Maximum VSWR = 3.13";
    QTest::newRow("150/101 shortest form") << 150 << 101 << "lblMaxVSWR" << "Maximum VSWR = 1.52";
    QTest::newRow("214/380 shortest form") << 214 << 380 << "lblPlusMisMatch" << "Plus Uncertainty = 1.669 dB";
    QTest::newRow("101/101 tiny minus unsigned") << 101 << 101 << "lblMinusMisMatch" << "Minus Uncertainty = 0.000 dB";
    QTest::newRow("102/101 tiny minus unsigned") << 102 << 101 << "lblMinusMisMatch" << "Minus Uncertainty = 0.000 dB";
}

void TestResultTexts::outputTexts()
{
    QFETCH(int, bar1);
    QFETCH(int, bar2);
    QFETCH(QString, label);
    QFETCH(QString, expected);

    const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
    QCOMPARE(QString::fromStdString(test_support::TextOf(texts, label.toStdString())), expected);
}

void TestResultTexts::commaDecimalMark()
{
    const OutputTexts t = ComputeOutputTexts(150, 200, ",");
    QCOMPARE(t.vswr1, "1,50");
    QCOMPARE(t.returnLoss1, "Return Loss = 13,98 dB");
    QCOMPARE(t.minusMismatch, "Minus Uncertainty = -0,599 dB");
    QCOMPARE(t.gamma2, "Gamma 2 = 0,333");
    // A mark of several bytes, such as the Arabic decimal separator in UTF-8.
    QCOMPARE(FormatFixed(1.5f, Pattern::TwoDecimals, "\u066B"), "1\u066B50");
}

void TestResultTexts::everyPairTextHasItsShape()
{
    const QRegularExpression vswr(R"(^[1-5]\.\d\d$)");
    const QRegularExpression returnLoss(R"(^(Return Loss > 70 dB|Return Loss = \d{1,2}\.\d\d dB)$)");
    const QRegularExpression mismatchLoss(R"(^Mismatch Loss @ Load = [0-2]\.\d\d dB$)");
    const QRegularExpression maxVswr(R"(^Maximum VSWR = \d{1,2}\.\d\d$)");
    const QRegularExpression combined(R"(^Combined Return Loss = (Infinite|\d{1,2}\.\d\d dB)$)");
    const QRegularExpression plus(R"(^Plus Uncertainty = [0-3]\.\d\d\d dB$)");
    const QRegularExpression minus(R"(^Minus Uncertainty = (0\.000|-[0-5]\.\d\d\d) dB$)");
    const QRegularExpression gamma1(R"(^Gamma 1 = 0\.\d\d\d$)");
    const QRegularExpression gamma2(R"(^Gamma 2 = 0\.\d\d\d$)");

    for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
        for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
            const OutputTexts t = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
            const std::pair<const QRegularExpression&, const std::string&> shapes[] = {
                {vswr, t.vswr1},           {returnLoss, t.returnLoss1}, {vswr, t.vswr2},
                {returnLoss, t.returnLoss2}, {mismatchLoss, t.mismatchLoss}, {maxVswr, t.maxVswr},
                {combined, t.totalReturnLoss}, {plus, t.plusMismatch},   {minus, t.minusMismatch},
                {gamma1, t.gamma1},        {gamma2, t.gamma2}};
            for (const auto& [shape, text] : shapes) {
                if (!shape.match(QString::fromStdString(text)).hasMatch())
                    QFAIL(qPrintable(QString("%1/%2: '%3'").arg(bar1).arg(bar2).arg(QString::fromStdString(text))));
            }

            // Only VSWR 1.00 reaches the fixed text; only the pair 1.00/1.00 is infinite.
            QCOMPARE(t.returnLoss1 == "Return Loss > 70 dB", bar1 == kBarMin);
            QCOMPARE(t.totalReturnLoss == "Combined Return Loss = Infinite", bar1 == kBarMin && bar2 == kBarMin);
        }
    }
}

QTEST_APPLESS_MAIN(TestResultTexts)
#include "tst_result_texts.moc"
