// SPDX-License-Identifier: MIT
// The mismatch arithmetic: the exact roundings, the 2000 dB floor, bad bar
// positions, and properties that hold for every pair of bars. The printed
// reference values are checked through the texts.

#include "mismatch.h"

#include <QTest>

#include <cfenv>
#include <cmath>
#include <cstring>

using namespace corvalen;

namespace {

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A wider-precision reference with the same rounding points: the library must
// agree with it to the last bit. Long double keeps the x87 unit, so no
// vectorizer or fused multiply-add can reach this path.
namespace reference {
using Wide = long double;
float Single(Wide x) { return static_cast<float>(x); }
float Log10(float x) { return x > 0 ? Single(std::log(Wide(x)) / std::log(Wide(10))) : -100.0f; }
float SideGamma(int bar) { const Wide q = bar / Wide(100); return Single((q - 1) / (q + 1)); }
float ReturnLoss(float gamma) { return Single(Log10(gamma) * Wide(-20)); }
float MismatchLoss(float returnLossDb)
{
    const float gammaAgain = Single(std::pow(Wide(10), -(Wide(returnLossDb) / 20)));
    return Single(Log10(Single(1 - Wide(gammaAgain) * gammaAgain)) * Wide(-10));
}
float Vswr(int bar) { return Single(bar / Wide(100)); }
float CombinedGamma(int bar) { const Wide v = Vswr(bar); return Single((v - 1) / (v + 1)); }
}  // namespace reference

}  // namespace

class TestMismatch : public QObject {
    Q_OBJECT

private slots:
    void log10Values_data();
    void log10Values();
    void barsOutsideTheRangeAreRejected_data();
    void barsOutsideTheRangeAreRejected();
    void everySideAgreesWithWideReference();
    void everyPairAgreesWithWideReference();
    void everyPairRaisesNoFloatingPointFault();
    void everyPairKeepsItsInvariants();
};

void TestMismatch::log10Values_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("expected");

    QTest::newRow("one") << 1.0f << 0.0f;
    QTest::newRow("ten") << 10.0f << 1.0f;
    QTest::newRow("hundredth") << 0.01f << -2.0f;
    QTest::newRow("zero is floored") << 0.0f << -100.0f;
    QTest::newRow("negative zero is floored") << -0.0f << -100.0f;
    QTest::newRow("negative is floored") << -0.25f << -100.0f;
    QTest::newRow("NaN is floored") << std::nanf("") << -100.0f;
}

void TestMismatch::log10Values()
{
    QFETCH(float, x);
    QFETCH(float, expected);
    QCOMPARE(Log10(x), expected);
}

void TestMismatch::barsOutsideTheRangeAreRejected_data()
{
    QTest::addColumn<int>("bar");
    QTest::newRow("lowest int16") << -32768;
    QTest::newRow("negative") << -150;
    QTest::newRow("zero") << 0;
    QTest::newRow("just below") << 99;
    QTest::newRow("just above") << 501;
    QTest::newRow("highest int16") << 32767;
}

void TestMismatch::barsOutsideTheRangeAreRejected()
{
    QFETCH(int, bar);
    const auto bad = static_cast<BarValue>(bar);
    QVERIFY_THROWS_EXCEPTION(BarOutOfRange, BarToVswr(bad));
    QVERIFY_THROWS_EXCEPTION(BarOutOfRange, BarToGamma(bad));
    QVERIFY_THROWS_EXCEPTION(BarOutOfRange, CombinedResults(bad, 150));
    QVERIFY_THROWS_EXCEPTION(BarOutOfRange, CombinedResults(150, bad));
    try {
        BarToGamma(bad);
    } catch (const BarOutOfRange& error) {
        QCOMPARE(error.bar(), bar);
        QVERIFY(QByteArray(error.what()).contains(QByteArray::number(bar)));
    }
}

void TestMismatch::everySideAgreesWithWideReference()
{
    for (int bar = kBarMin; bar <= kBarMax; ++bar) {
        const auto barValue = static_cast<BarValue>(bar);
        const float rl = ReturnLossDb(BarToGamma(barValue));
        QVERIFY2(SameBits(rl, reference::ReturnLoss(reference::SideGamma(bar))), qPrintable(QString::number(bar)));
        QVERIFY2(SameBits(LoadMismatchLossDb(rl), reference::MismatchLoss(rl)), qPrintable(QString::number(bar)));
        QVERIFY(SameBits(BarToVswr(barValue), reference::Vswr(bar)));

        // The side gamma divides the exact quotient, the combined one the rounded VSWR;
        // for many bars (1.01 among them) they differ in their last bits, and each keeps its own.
        QVERIFY2(SameBits(BarToGamma(barValue), reference::SideGamma(bar)), qPrintable(QString::number(bar)));
        QVERIFY2(SameBits(CombinedResults(barValue, kBarMin).gamma1, reference::CombinedGamma(bar)),
                 qPrintable(QString::number(bar)));
        QVERIFY2(SameBits(CombinedResults(kBarMin, barValue).gamma2, reference::CombinedGamma(bar)),
                 qPrintable(QString::number(bar)));
    }
}

void TestMismatch::everyPairAgreesWithWideReference()
{
    using reference::Single;
    using reference::Wide;
    for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
        for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
            const CombinedResults c(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
            const Wide v1 = reference::Vswr(bar1);
            const Wide v2 = reference::Vswr(bar2);
            const Wide g1 = reference::CombinedGamma(bar1);
            const Wide g2 = reference::CombinedGamma(bar2);
            const Wide product = v2 * v1;
            const QByteArray where = QByteArray::number(bar1) + "/" + QByteArray::number(bar2);

            QVERIFY2(SameBits(c.maxVswr, Single(product)), where);
            if (!c.infinite) {
                const float expected = reference::ReturnLoss(Single((product - 1) / (product + 1)));
                QVERIFY2(SameBits(*c.combinedReturnLossDb, expected), where);
            }
            QVERIFY2(SameBits(c.plusDb, Single(reference::Log10(Single(g2 * g1 + 1)) * Wide(20))), where);
            QVERIFY2(SameBits(c.minusDb, Single(reference::Log10(Single(1 - g2 * g1)) * Wide(20))), where);
        }
    }
}

void TestMismatch::everyPairRaisesNoFloatingPointFault()
{
    std::feclearexcept(FE_ALL_EXCEPT);
    double sink = 0;  // keeps every result alive
    for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
        const float rl = ReturnLossDb(BarToGamma(static_cast<BarValue>(bar1)));
        sink += rl + LoadMismatchLossDb(rl) + BarToVswr(static_cast<BarValue>(bar1));
        for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
            const CombinedResults c(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
            sink += c.maxVswr + c.combinedReturnLossDb.value_or(0) + c.plusDb + c.minusDb + c.gamma1 + c.gamma2;
        }
    }
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    QVERIFY(std::isfinite(sink));
    QCOMPARE(raised & FE_INVALID, 0);
    QCOMPARE(raised & FE_DIVBYZERO, 0);
    QCOMPARE(raised & FE_OVERFLOW, 0);
}

void TestMismatch::everyPairKeepsItsInvariants()
{
    for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
        for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
            const auto b1 = static_cast<BarValue>(bar1);
            const auto b2 = static_cast<BarValue>(bar2);
            const CombinedResults c(b1, b2);
            const CombinedResults swapped(b2, b1);
            const QByteArray where = QByteArray::number(bar1) + "/" + QByteArray::number(bar2);

            QVERIFY2(c.minusDb <= 0.0f && c.plusDb >= 0.0f, where);
            QVERIFY2(c.maxVswr >= 1.0f && c.maxVswr <= 25.0f, where);
            if (bar1 == kBarMin || bar2 == kBarMin)
                QVERIFY2(c.plusDb == 0.0f && c.minusDb == 0.0f, where);

            // Same bits on swapping source and load, so the same texts, gammas exchanged.
            QVERIFY2(SameBits(c.maxVswr, swapped.maxVswr), where);
            QVERIFY2(c.combinedReturnLossDb == swapped.combinedReturnLossDb, where);
            QVERIFY2(SameBits(c.plusDb, swapped.plusDb) && SameBits(c.minusDb, swapped.minusDb), where);
            QVERIFY2(SameBits(c.gamma1, swapped.gamma2) && SameBits(c.gamma2, swapped.gamma1), where);
        }
    }
}

QTEST_APPLESS_MAIN(TestMismatch)
#include "tst_mismatch.moc"
