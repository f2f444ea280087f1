// SPDX-License-Identifier: MIT
// The dilogarithm where it has a closed form, and the figures a budget quotes for
// textbook pairs; every other value is checked against a brute force over the
// unknown phases by crosscheck_uncertainty.py.

#include "measured/dilogarithm.h"
#include "measured/uncertainty.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace corvalen::measured;

class TestUncertainty : public QObject {
    Q_OBJECT

private slots:
    void dilogarithm_data()
    {
        using std::numbers::pi;
        const double lnPhi = std::log(std::numbers::phi);
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("0") << 0.0 << 0.0;
        QTest::newRow("1e-9: x + x^2 / 4") << 1e-9 << 1e-9 + 0.25e-18;
        QTest::newRow("1 / phi^2: pi^2 / 15 - ln^2 phi") << (3.0 - std::sqrt(5.0)) / 2.0 << pi * pi / 15.0 - lnPhi * lnPhi;
        QTest::newRow("1/2: pi^2 / 12 - ln^2 2 / 2") << 0.5 << pi * pi / 12.0 - std::numbers::ln2 * std::numbers::ln2 / 2.0;
        QTest::newRow("1 / phi: pi^2 / 10 - ln^2 phi") << (std::sqrt(5.0) - 1.0) / 2.0 << pi * pi / 10.0 - lnPhi * lnPhi;
        QTest::newRow("1: pi^2 / 6") << 1.0 << pi * pi / 6.0;
    }
    void dilogarithm()
    {
        QFETCH(double, x);
        QFETCH(double, expected);
        QVERIFY2(std::abs(Dilogarithm(x) - expected) <= 4e-16 * expected,
                 qPrintable(QString::number(Dilogarithm(x), 'g', 17)));
    }

    // Plus and minus limits, u and the 95 % interval (or the measured error), in dB to four decimals.
    void budgetFigures_data()
    {
        QTest::addColumn<Termination>("source");
        QTest::addColumn<Termination>("load");
        QTest::addColumn<double>("padLossDb");  // no pad where negative
        QTest::addColumn<QString>("figures");
        const Termination vswr15 = PhaseUnknownTermination(0.2), vswr2 = PhaseUnknownTermination(1.0 / 3.0);
        QTest::newRow("1.5 with 2.0") << vswr15 << vswr2 << -1.0 << u"+0.5606 -0.5993 0.4097 -0.5972 +0.5590"_qs;
        QTest::newRow("through loss=10,vswr=1.1") << vswr15 << vswr2 << 10.0 << u"+0.2754 -0.2817"_qs;
        QTest::newRow("phases measured: the error, no distribution")
            << MeasuredTermination(0.2) << MeasuredTermination(1.0 / 3.0) << -1.0 << u"+0.5606 -0.5993 error -0.5993"_qs;
    }
    void budgetFigures()
    {
        QFETCH(Termination, source);
        QFETCH(Termination, load);
        QFETCH(double, padLossDb);
        QFETCH(QString, figures);
        std::vector<ChainTwoPort> chain;
        if (padLossDb >= 0.0)
            chain.push_back(PadTwoPort({padLossDb, 1.1}));
        const ChainMismatch mismatch(source, chain, load);
        const auto db = [](double v) { return (v > 0 ? u"+"_qs : QString()) + QString::number(v, 'f', 4); };
        QString text = db(mismatch.LimitsDb().plusDb) + u' ' + db(mismatch.LimitsDb().minusDb);
        if (mismatch.ErrorDb())
            text += u" error "_qs + db(*mismatch.ErrorDb());
        if (padLossDb < 0.0 && mismatch.StandardUncertaintyDb())
            text += u' ' + db(*mismatch.StandardUncertaintyDb()).mid(1) + u' ' + db(mismatch.CoverageDb(0.95)->lowDb) + u' '
                    + db(mismatch.CoverageDb(0.95)->highDb);
        QCOMPARE(text, figures);
    }
};

QTEST_APPLESS_MAIN(TestUncertainty)
#include "tst_uncertainty.moc"
