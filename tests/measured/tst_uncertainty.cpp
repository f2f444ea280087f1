// SPDX-License-Identifier: MIT
// The dilogarithm where it has a closed form, and the figures a budget quotes for
// textbook pairs; every other value is checked against a brute force over the
// unknown phases by crosscheck_uncertainty.py.

#include "measured/chain_walk.h"
#include "measured/dilogarithm.h"
#include "measured/one_phase_grid.h"
#include "measured/phase_grid.h"
#include "measured/uncertainty.h"

#include <QTest>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
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
        QTest::newRow("1/16: its power series to 40 digits") << 0.0625 << 0.063504682792938306196;
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
        // Many at once, in each lane of a group and in the remainder: the same bits.
        std::array<double, 19> many{}, li2{};
        for (std::size_t i = 0; i < many.size(); ++i)
            many[i] = x * static_cast<double>(i + 1) / 19.0;
        many[3] = 0.75;  // sends its group of eight the one-value way
        Dilogarithms(many, li2);
        for (std::size_t i = 0; i < many.size(); ++i)
            QCOMPARE(std::bit_cast<std::uint64_t>(li2[i]), std::bit_cast<std::uint64_t>(Dilogarithm(many[i])));
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

    // 1.5 with 2.0 through pads of 3 dB, VSWR 1.3: u and the 95 % interval against a Monte Carlo
    // over every phase (2^24 draws, good to about 2e-4 dB); sixteen pads give every value too.
    void throughPads_data()
    {
        QTest::addColumn<int>("pads");
        QTest::addColumn<double>("uDb");
        QTest::addColumn<double>("lowDb");
        QTest::addColumn<double>("highDb");
        QTest::addColumn<double>("toleranceDb");
        QTest::newRow("three pads") << 3 << 0.3935 << -0.7625 << 0.7401 << 2e-4;
        QTest::newRow("sixteen pads, inside the limits") << 16 << 0.0 << 0.0 << 0.0 << 0.0;
    }
    void throughPads()
    {
        QFETCH(int, pads);
        QFETCH(double, uDb);
        QFETCH(double, lowDb);
        QFETCH(double, highDb);
        QFETCH(double, toleranceDb);
        const std::vector<ChainTwoPort> chain(static_cast<std::size_t>(pads), PadTwoPort({3.0, 1.3}));
        const ChainMismatch mismatch(PhaseUnknownTermination(0.2), chain, PhaseUnknownTermination(1.0 / 3.0));
        const std::optional<double> u = mismatch.StandardUncertaintyDb();
        const std::optional<CoverageIntervalDb> coverage = mismatch.CoverageDb(0.95);
        QVERIFY(u && coverage);
        if (toleranceDb == 0.0) {
            QVERIFY(mismatch.LimitsDb().minusDb < coverage->lowDb && coverage->lowDb < -*u);
            QVERIFY(*u < coverage->highDb && coverage->highDb < mismatch.LimitsDb().plusDb);
            return;
        }
        QVERIFY2(std::abs(*u - uDb) <= 5e-5, qPrintable(QString::number(*u, 'f', 6)));
        QVERIFY2(std::abs(coverage->lowDb - lowDb) <= toleranceDb, qPrintable(QString::number(coverage->lowDb, 'f', 6)));
        QVERIFY2(std::abs(coverage->highDb - highDb) <= toleranceDb, qPrintable(QString::number(coverage->highDb, 'f', 6)));
    }

    // The walk element by element against the grid over every phase, for chains short
    // enough for the grid to converge: u to 1e-8 dB, the 95 % interval to 5e-5 dB.
    void walkAgainstGrid_data()
    {
        QTest::addColumn<double>("sourceGamma");
        QTest::addColumn<double>("loadGamma");
        QTest::addColumn<Pad>("first");
        QTest::addColumn<Pad>("second");
        QTest::newRow("1.5 with 2.0 through two pads of 3 dB, VSWR 1.3") << 0.2 << 1.0 / 3.0 << Pad{3.0, 1.3} << Pad{3.0, 1.3};
        QTest::newRow("1.5 with 2.0 through 10 dB, VSWR 1.1 and 3 dB, VSWR 1.5") << 0.2 << 1.0 / 3.0 << Pad{10.0, 1.1} << Pad{3.0, 1.5};
    }
    void walkAgainstGrid()
    {
        QFETCH(double, sourceGamma);
        QFETCH(double, loadGamma);
        QFETCH(Pad, first);
        QFETCH(Pad, second);
        const std::vector<ChainTwoPort> chain{PadTwoPort(first), PadTwoPort(second)};
        const ChainMismatch grid(PhaseUnknownTermination(sourceGamma), chain, PhaseUnknownTermination(loadGamma));
        WalkChain walk{loadGamma, {}, sourceGamma, 0.0};
        for (auto twoPort = chain.rbegin(); twoPort != chain.rend(); ++twoPort)
            walk.fromLoad.push_back({twoPort->s22, twoPort->s11, twoPort->s21 * twoPort->s12, false});
        const double dbPerNeper = 20.0 / std::numbers::ln10;
        QVERIFY(std::abs(dbPerNeper * std::sqrt(WalkedMoments(walk).varianceNepers2) - *grid.StandardUncertaintyDb()) < 1e-8);
        const std::optional<WalkQuantiles> walked = WalkedQuantiles(walk, 0.025, 0.975);
        QVERIFY(walked);
        const CoverageIntervalDb gridded = *grid.CoverageDb(0.95);
        QVERIFY2(std::abs(dbPerNeper * walked->lowNepers - gridded.lowDb) < 5e-5,
                 qPrintable(QString::number(dbPerNeper * walked->lowNepers, 'f', 6)));
        QVERIFY2(std::abs(dbPerNeper * walked->highNepers - gridded.highDb) < 5e-5,
                 qPrintable(QString::number(dbPerNeper * walked->highNepers, 'f', 6)));
    }

    // A sweep's pads averaged once for all rows against each row's own averages: the
    // grid for one pad, the walk afresh for three, both sides measured (the sweep's
    // case) and the load from matched to nearly total; pads of VSWR 2, which can pass
    // on |Gamma| above 1, averaged each for the reach of the one behind; u to 1e-8 dB.
    void padAveragesReused_data()
    {
        QTest::addColumn<int>("pads");
        QTest::addColumn<double>("padVswr");
        QTest::addColumn<double>("loadGamma");
        for (const int pads : {1, 3})
            for (const double load : {0.0, 0.3, 0.95})
                QTest::addRow("%d pads of VSWR 1.3, |GL| %g", pads, load) << pads << 1.3 << load;
        QTest::newRow("3 pads of VSWR 2, |GL| 0.9") << 3 << 2.0 << 0.9;
    }
    void padAveragesReused()
    {
        QFETCH(int, pads);
        QFETCH(double, padVswr);
        QFETCH(double, loadGamma);
        const std::vector<ChainTwoPort> chain(static_cast<std::size_t>(pads), PadTwoPort({3.0, padVswr}));
        const ChainTwoPort& pad = chain.front();
        std::vector<PadAverages> averages;
        for (double reach = 1.0; averages.size() < chain.size(); reach = averages.back().PassesOn())
            averages.emplace_back(WalkElement{pad.s22, pad.s11, pad.s21 * pad.s12, false}, reach);
        const Termination source = MeasuredTermination({0.1, -0.3}), load = MeasuredTermination(std::polar(loadGamma, 1.0));
        const ChainMismatch afresh(source, chain, load), reused(source, chain, load, averages);
        QVERIFY2(std::abs(*reused.StandardUncertaintyDb() - *afresh.StandardUncertaintyDb()) < 1e-8,
                 qPrintable(QString::number(*reused.StandardUncertaintyDb() - *afresh.StandardUncertaintyDb(), 'g', 3)));
    }

    // A sweep's row between two fixed sides through a measured two-port keeps the samples
    // of each grid for the next: its variances must be the whole grid's to the last bit
    // (else the printed digits move), on every grid up to the largest it keeps.
    void onePhaseGridAgainstGrid_data()
    {
        using Complex = std::complex<double>;
        QTest::addColumn<double>("sourceGamma");
        QTest::addColumn<double>("loadGamma");
        QTest::addColumn<ChainElement>("twoPort");
        QTest::addColumn<bool>("seriesInstead");  // the grid sums the dilogarithm's series: nothing kept
        const ChainElement cable{{0.1, -0.15}, std::polar(0.81, 2.0), {-0.2, 0.05}, true};
        QTest::newRow("1.5 with 2.0 through a cable") << 0.2 << 1.0 / 3.0 << cable << false;
        QTest::newRow("matched load: every sample alike") << 0.2 << 0.0 << cable << false;
        QTest::newRow("matched source") << 0.0 << 1.0 / 3.0 << cable << true;
        QTest::newRow("an amplifier's gain takes |Gamma| past 1 at the junction")
            << 0.9 << 0.8 << ChainElement{Complex(0.6, 0.3), Complex(-4.0, 3.0), Complex(0.7, 0.0), true} << false;
        QTest::newRow("10 with 10 through a reflective two-port")
            << 9.0 / 11.0 << 9.0 / 11.0 << ChainElement{Complex(0.0, 0.9), Complex(0.1, 0.0), Complex(-0.95, 0.0), true} << false;
    }
    void onePhaseGridAgainstGrid()
    {
        QFETCH(double, sourceGamma);
        QFETCH(double, loadGamma);
        QFETCH(ChainElement, twoPort);
        QFETCH(bool, seriesInstead);
        const Termination source = PhaseUnknownTermination(sourceGamma), load = PhaseUnknownTermination(loadGamma);
        const InnerJunction inner = ChooseInnerJunction(source, std::span(&twoPort, 1), load);
        QVERIFY(OnePhaseGrid::Fits(source, std::span(&twoPort, 1), load, inner));
        const PhaseGrid grid(source, std::span(&twoPort, 1), load, inner);
        OnePhaseGrid kept(source, twoPort, load, 8);  // the first three grids sampled at once, as a row does
        for (int points = 2; points <= OnePhaseGrid::kMostPoints; points *= 2) {
            const double whole = grid.VarianceNepers2(points);
            const std::optional<double> fast = kept.VarianceNepers2(points);
            if (seriesInstead) {
                QVERIFY(!fast);
                continue;
            }
            QVERIFY2(fast && std::bit_cast<std::uint64_t>(*fast) == std::bit_cast<std::uint64_t>(whole),
                     qPrintable(u"%1 points: %2 against %3"_qs.arg(points).arg(fast.value_or(-1.0), 0, 'g', 17).arg(whole, 0, 'g', 17)));
        }
        QVERIFY(!kept.VarianceNepers2(2 * OnePhaseGrid::kMostPoints));
    }
};

QTEST_APPLESS_MAIN(TestUncertainty)
#include "tst_uncertainty.moc"
