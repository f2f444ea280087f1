// SPDX-License-Identifier: MIT
// The mismatch engine in process: the sweep's rows over a band and what it
// counts, and the worst case over a band.

#include "measured/blocks_ahead.h"
#include "measured/quantities.h"
#include "measured/sweep.h"
#include "measured/worst_case.h"

#include <QTest>

#include <limits>
#include <stdexcept>

using namespace corvalen::measured;

class TestSweep : public QObject {
    Q_OBJECT

private slots:

    // Blocks of rows come back in order, a band's rows cross the blocks' edges,
    // and |G| above 1 is counted over all blocks, keeping the first frequency;
    // through a pad the blocks are filled on two threads.
    void rowsInOrderAndCounted_data()
    {
        QTest::addColumn<bool>("throughPad");
        QTest::newRow("directly") << false;
        QTest::newRow("through a pad") << true;
    }
    void rowsInOrderAndCounted()
    {
        QFETCH(bool, throughPad);
        Reflection measured;
        for (int i = 0; i < 20000; ++i) {
            measured.frequencyHz.push_back(1e6 + i);
            measured.gamma.emplace_back(i == 9000 || i == 19000 ? 1.01 : 0.5, 0.0);
        }
        const Bench bench{{"1.5", FixedSideValues(1.5)}, {"load.s1p", measured},
                          throughPad ? std::vector<Through>{{"loss=3,vswr=1.2", Pad{3.0, 1.2}}} : std::vector<Through>{}};
        const Sweep sweep(bench);
        Series<double> frequencies;
        const ActiveSides active = sweep.Run([&](std::span<const RowValues> rows) {
            for (const RowValues& row : rows)
                frequencies.push_back(row.frequencyHz);
        });
        QCOMPARE(frequencies, measured.frequencyHz);
        QCOMPARE(active.load.count, std::size_t{2});
        QCOMPARE(active.load.firstFrequencyHz, 1009000.0);
        QCOMPARE(active.source.count, std::size_t{0});
        const std::vector<RowValues> band = sweep.Rows({1000100.0, 1004200.0});
        QCOMPARE(band.size(), std::size_t{4101});
        QCOMPARE(band.front().frequencyHz, 1000100.0);
        QCOMPARE(band.back().frequencyHz, 1004200.0);
    }

    // Blocks filled by a helper thread and by the thread handing them on come back in
    // order, each row its own, the last block short; what filling a block throws
    // reaches the thread handing them on.
    void blocksAhead_data()
    {
        QTest::addColumn<std::size_t>("failingBlock");
        QTest::newRow("every block filled") << std::size_t{99};
        QTest::newRow("block 13 throws") << std::size_t{13};
    }
    void blocksAhead()
    {
        QFETCH(std::size_t, failingBlock);
        BlocksAhead blocks(20 * 8 - 3, 8, [failingBlock](std::size_t first, std::span<RowValues> rows) {
            if (first == failingBlock * 8)
                throw std::runtime_error("no memory");
            for (std::size_t i = 0; i < rows.size(); ++i)
                rows[i].frequencyHz = static_cast<double>(first + i);
        });
        QCOMPARE(blocks.Blocks(), std::size_t{20});
        double expected = 0.0;
        try {
            for (std::size_t k = 0; k < blocks.Blocks(); ++k) {
                for (const RowValues& row : blocks.Next(k))
                    QCOMPARE(row.frequencyHz, expected++);
                blocks.HandedOn(k);
            }
        } catch (const std::runtime_error&) {
            QCOMPARE(expected, 13.0 * 8);
            return;
        }
        QCOMPARE(expected, failingBlock == 13 ? -1.0 : 157.0);
    }

    // A source of |G| 0.2 in phase with a load of 0.5j, 0.4 and 0.1 at 1, 2 and
    // 3 GHz: the limits are widest at 1 GHz, where the error is only 0.0432 dB; the
    // error 20 log10 |1 - Gs GL| is largest at 2 GHz, 20 log10 0.92 = -0.7242 dB.
    void worstCase_data()
    {
        QTest::addColumn<double>("fromHz");
        QTest::addColumn<double>("toHz");
        QTest::addColumn<bool>("throughPad");
        QTest::addColumn<double>("widestHz");  // 0: no row
        QTest::addColumn<double>("largestErrorHz");
        QTest::addColumn<double>("largestErrorDb");
        constexpr double kAll = std::numeric_limits<double>::infinity();
        QTest::newRow("whole band") << -kAll << kAll << false << 1e9 << 2e9 << -0.7242;
        QTest::newRow("from 2 GHz") << 2e9 << kAll << false << 2e9 << 2e9 << -0.7242;
        QTest::newRow("one row, the band's ends on it") << 3e9 << 3e9 << false << 3e9 << 3e9 << -0.1755;
        QTest::newRow("between rows") << 1.5e9 << 1.9e9 << false << 0.0 << 0.0 << 0.0;
        QTest::newRow("through a pad, whose phases are unknown") << -kAll << kAll << true << 1e9 << 0.0 << 0.0;
    }

    void worstCase()
    {
        QFETCH(double, fromHz);
        QFETCH(double, toHz);
        QFETCH(bool, throughPad);
        QFETCH(double, widestHz);
        QFETCH(double, largestErrorHz);
        QFETCH(double, largestErrorDb);
        Reflection source;
        Reflection load;
        for (const auto& [hz, gamma] : {std::pair(1e9, std::complex(0.0, 0.5)), {2e9, 0.4}, {3e9, 0.1}}) {
            source.frequencyHz.push_back(hz);
            source.gamma.emplace_back(0.2);
            load.frequencyHz.push_back(hz);
            load.gamma.push_back(gamma);
        }
        Bench bench{{"source.s1p", source}, {"load.s1p", load}, {}};
        if (throughPad)
            bench.chain.push_back({"loss=3,vswr=1.2", Pad{3.0, 1.2}});
        const WorstCase worst = FindWorstCase(Sweep(bench), {fromHz, toHz});
        QCOMPARE(worst.widestLimits ? worst.widestLimits->frequencyHz : 0.0, widestHz);
        QCOMPARE(worst.largestError ? worst.largestError->frequencyHz : 0.0, largestErrorHz);
        if (worst.largestError)
            QVERIFY(std::abs(*worst.largestError->direct.mismatchErrorDb - largestErrorDb) < 5e-5);
    }
};

QTEST_APPLESS_MAIN(TestSweep)
#include "tst_sweep.moc"
