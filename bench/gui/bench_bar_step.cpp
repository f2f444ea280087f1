// SPDX-License-Identifier: MIT
// One bar step as the window handles it: the bar's new position, its change
// handling and UpdateResults, up to the label texts (painting comes later,
// from the event loop).

#include "mainwindow/frmmain.h"

#include <QScrollBar>
#include <QTest>

class BenchBarStep : public QObject {
    Q_OBJECT

private slots:
    void step_data();
    void step();
};

void BenchBarStep::step_data()
{
    QTest::addColumn<QString>("bar");
    QTest::newRow("source bar") << "hsVSWR1";
    QTest::newRow("load bar") << "hsVSWR2";
}

void BenchBarStep::step()
{
    QFETCH(QString, bar);
    frmMain window(QLocale::c());
    window.show();
    auto* scrollBar = window.findChild<QScrollBar*>(bar);
    QVERIFY(scrollBar);
    scrollBar->setValue(237);

    // Alternate between two positions so that every step is a change.
    int next = 238;
    QBENCHMARK {
        scrollBar->setValue(next);
        next ^= 238 ^ 237;
    }
}

QTEST_MAIN(BenchBarStep)
#include "bench_bar_step.moc"
