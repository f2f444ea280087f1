// SPDX-License-Identifier: MIT
// The output texts: number formatting and rounding, the 70 dB rule, the
// infinite pair, and the shape of every text over every pair of bars.

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
    QTest::addColumn<QStringList>("expected");  // in the label order of OutputTexts

    QTest::newRow("start state 100/100")
        << 100 << 100
        << QStringList{"1.00", "Return Loss > 70 dB", "1.00", "Return Loss > 70 dB",
                       "Mismatch Loss @ Load = 0.00 dB", "Maximum VSWR = 1.00", "Combined Return Loss = Infinite",
                       "Plus Uncertainty = 0.000 dB", "Minus Uncertainty = 0.000 dB", "Gamma 1 = 0.000",
                       "Gamma 2 = 0.000"};
    QTest::newRow("150/200")
        << 150 << 200
        << QStringList{"1.50", "Return Loss = 13.98 dB", "2.00", "Return Loss = 9.54 dB",
                       "Mismatch Loss @ Load = 0.51 dB", "Maximum VSWR = 3.00", "Combined Return Loss = 6.02 dB",
                       "Plus Uncertainty = 0.561 dB", "Minus Uncertainty = -0.599 dB", "Gamma 1 = 0.200",
                       "Gamma 2 = 0.333"};
    QTest::newRow("source at 1.00 takes the load's return loss")
        << 100 << 200
        << QStringList{"1.00", "Return Loss > 70 dB", "2.00", "Return Loss = 9.54 dB",
                       "Mismatch Loss @ Load = 0.51 dB", "Maximum VSWR = 2.00", "Combined Return Loss = 9.54 dB",
                       "Plus Uncertainty = 0.000 dB", "Minus Uncertainty = 0.000 dB", "Gamma 1 = 0.000",
                       "Gamma 2 = 0.333"};
    QTest::newRow("101/100 is finite")
        << 101 << 100
        << QStringList{"1.01", "Return Loss = 46.06 dB", "1.00", "Return Loss > 70 dB",
                       "Mismatch Loss @ Load = 0.00 dB", "Maximum VSWR = 1.01", "Combined Return Loss = 46.06 dB",
                       "Plus Uncertainty = 0.000 dB", "Minus Uncertainty = 0.000 dB", "Gamma 1 = 0.005",
                       "Gamma 2 = 0.000"};
    QTest::newRow("137/263")
        << 137 << 263
        << QStringList{"1.37", "Return Loss = 16.13 dB", "2.63", "Return Loss = 6.95 dB",
                       "Mismatch Loss @ Load = 0.98 dB", "Maximum VSWR = 3.60", "Combined Return Loss = 4.95 dB",
                       "Plus Uncertainty = 0.589 dB", "Minus Uncertainty = -0.631 dB", "Gamma 1 = 0.156",
                       "Gamma 2 = 0.449"};
    QTest::newRow("500/500")
        << 500 << 500
        << QStringList{"5.00", "Return Loss = 3.52 dB", "5.00", "Return Loss = 3.52 dB",
                       "Mismatch Loss @ Load = 2.55 dB", "Maximum VSWR = 25.00", "Combined Return Loss = 0.70 dB",
                       "Plus Uncertainty = 3.194 dB", "Minus Uncertainty = -5.105 dB", "Gamma 1 = 0.667",
                       "Gamma 2 = 0.667"};
    QTest::newRow("published 150/120")
        << 150 << 120
        << QStringList{"1.50", "Return Loss = 13.98 dB", "1.20", "Return Loss = 20.83 dB",
                       "Mismatch Loss @ Load = 0.04 dB", "Maximum VSWR = 1.80", "Combined Return Loss = 10.88 dB",
                       "Plus Uncertainty = 0.157 dB", "Minus Uncertainty = -0.159 dB", "Gamma 1 = 0.200",
                       "Gamma 2 = 0.091"};
    // Maximum VSWR exactly 3.125 rounds away from zero.
    QTest::newRow("tie 125/250")
        << 125 << 250
        << QStringList{"1.25", "Return Loss = 19.08 dB", "2.50", "Return Loss = 7.36 dB",
                       "Mismatch Loss @ Load = 0.88 dB", "Maximum VSWR = 3.13", "Combined Return Loss = 5.76 dB",
                       "Plus Uncertainty = 0.404 dB", "Minus Uncertainty = -0.424 dB", "Gamma 1 = 0.111",
                       "Gamma 2 = 0.429"};
    // Maximum VSWR 1.51499998, whose shortest form 1.515 rounds up.
    QTest::newRow("shortest form 150/101")
        << 150 << 101
        << QStringList{"1.50", "Return Loss = 13.98 dB", "1.01", "Return Loss = 46.06 dB",
                       "Mismatch Loss @ Load = 0.00 dB", "Maximum VSWR = 1.52", "Combined Return Loss = 13.77 dB",
                       "Plus Uncertainty = 0.009 dB", "Minus Uncertainty = -0.009 dB", "Gamma 1 = 0.200",
                       "Gamma 2 = 0.005"};
    // Plus uncertainty 1.66849995, whose shortest form 1.6685 rounds up.
    QTest::newRow("shortest form 214/380")
        << 214 << 380
        << QStringList{"2.14", "Return Loss = 8.80 dB", "3.80", "Return Loss = 4.68 dB",
                       "Mismatch Loss @ Load = 1.81 dB", "Maximum VSWR = 8.13", "Combined Return Loss = 2.15 dB",
                       "Plus Uncertainty = 1.669 dB", "Minus Uncertainty = -2.067 dB", "Gamma 1 = 0.363",
                       "Gamma 2 = 0.583"};
    QTest::newRow("tiny minus limit 101/101 prints unsigned")
        << 101 << 101
        << QStringList{"1.01", "Return Loss = 46.06 dB", "1.01", "Return Loss = 46.06 dB",
                       "Mismatch Loss @ Load = 0.00 dB", "Maximum VSWR = 1.02", "Combined Return Loss = 40.04 dB",
                       "Plus Uncertainty = 0.000 dB", "Minus Uncertainty = 0.000 dB", "Gamma 1 = 0.005",
                       "Gamma 2 = 0.005"};
}

void TestResultTexts::outputTexts()
{
    QFETCH(int, bar1);
    QFETCH(int, bar2);
    QFETCH(QStringList, expected);

    const OutputTexts t = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
    const QStringList actual{
        QString::fromStdString(t.vswr1),           QString::fromStdString(t.returnLoss1),
        QString::fromStdString(t.vswr2),           QString::fromStdString(t.returnLoss2),
        QString::fromStdString(t.mismatchLoss),    QString::fromStdString(t.maxVswr),
        QString::fromStdString(t.totalReturnLoss), QString::fromStdString(t.plusMismatch),
        QString::fromStdString(t.minusMismatch),   QString::fromStdString(t.gamma1),
        QString::fromStdString(t.gamma2)};
    QCOMPARE(actual, expected);
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
            const auto b1 = static_cast<BarValue>(bar1);
            const auto b2 = static_cast<BarValue>(bar2);
            const OutputTexts t = ComputeOutputTexts(b1, b2);
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

            const CombinedTexts swapped = CombinedResultTexts(b2, b1);
            QCOMPARE(swapped.maxVswr, t.maxVswr);
            QCOMPARE(swapped.totalReturnLoss, t.totalReturnLoss);
            QCOMPARE(swapped.plusMismatch, t.plusMismatch);
            QCOMPARE(swapped.minusMismatch, t.minusMismatch);
            QCOMPARE(swapped.gamma1.substr(10), t.gamma2.substr(10));
            QCOMPARE(swapped.gamma2.substr(10), t.gamma1.substr(10));
        }
    }
}

QTEST_APPLESS_MAIN(TestResultTexts)
#include "tst_result_texts.moc"
