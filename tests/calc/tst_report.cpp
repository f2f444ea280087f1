// SPDX-License-Identifier: MIT
// The clipboard report, byte for byte.

#include "report.h"

#include <QTest>

using namespace corvalen;

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void reportBytes_data();
    void reportBytes();
    void eachTextLandsOnItsLine();
};

void TestReport::reportBytes_data()
{
    QTest::addColumn<int>("bar1");
    QTest::addColumn<int>("bar2");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("start state") << 100 << 100
                                 << QByteArray("VSWR 1 (Source) = 1.00  Return Loss > 70 dB\r\n"
                                               "VSWR 2 (Load) = 1.00  Return Loss > 70 dB\r\n"
                                               "\r\n"
                                               "Gamma 1 = 0.000\r\n"
                                               "Gamma 2 = 0.000\r\n"
                                               "\r\n"
                                               "Maximum VSWR = 1.00\r\n"
                                               "Combined Return Loss = Infinite\r\n"
                                               "\r\n"
                                               "Plus Uncertainty = 0.000 dB\r\n"
                                               "Minus Uncertainty = 0.000 dB\r\n"
                                               "\r\n"
                                               "Mismatch Loss @ Load = 0.00 dB\r\n"
                                               "\r\n");
    QTest::newRow("150/200") << 150 << 200
                             << QByteArray("VSWR 1 (Source) = 1.50  Return Loss = 13.98 dB\r\n"
                                           "VSWR 2 (Load) = 2.00  Return Loss = 9.54 dB\r\n"
                                           "\r\n"
                                           "Gamma 1 = 0.200\r\n"
                                           "Gamma 2 = 0.333\r\n"
                                           "\r\n"
                                           "Maximum VSWR = 3.00\r\n"
                                           "Combined Return Loss = 6.02 dB\r\n"
                                           "\r\n"
                                           "Plus Uncertainty = 0.561 dB\r\n"
                                           "Minus Uncertainty = -0.599 dB\r\n"
                                           "\r\n"
                                           "Mismatch Loss @ Load = 0.51 dB\r\n"
                                           "\r\n");
}

void TestReport::reportBytes()
{
    QFETCH(int, bar1);
    QFETCH(int, bar2);
    QFETCH(QByteArray, expected);

    const std::string report = BuildReport(ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2)));
    QCOMPARE(QByteArray::fromStdString(report), expected);
}

void TestReport::eachTextLandsOnItsLine()
{
    // Distinct stand-ins show that each text goes to its own line and is copied as it stands.
    const OutputTexts texts{"v1", "rl1", "v2", "rl2", "ml", "max", "total", "plus", "minus", "g1", "g2"};
    QCOMPARE(QByteArray::fromStdString(BuildReport(texts)),
             QByteArray("VSWR 1 (Source) = v1  rl1\r\nVSWR 2 (Load) = v2  rl2\r\n\r\ng1\r\ng2\r\n\r\n"
                        "max\r\ntotal\r\n\r\nplus\r\nminus\r\n\r\nml\r\n\r\n"));
}

QTEST_APPLESS_MAIN(TestReport)
#include "tst_report.moc"
