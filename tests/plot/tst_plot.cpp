// SPDX-License-Identifier: MIT
// The plot module in process: the tick labels a span gets, and the pictures it
// writes for data at the edges (a span narrower than the labels' digits, one
// point, a constant series, values that are not finite, a spike among 100,001
// points), as SVG (its texts) and as PNG (where the trace shows).

#include "plot/axis.h"
#include "plot/plot_module.h"
#include "plot/sweep_chart.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The plot area of a sweep picture with one row of legend, and the Smith chart's
// area between the title and its legend.
const QRect kSweepArea(84, 64, 984, 456);
const QRect kSmithArea(0, 50, 940, 880);
const QColor kLoadMismatchLossColor(0x2e, 0x8b, 0x57);
const QColor kLoadColor(0xc0, 0x39, 0x2b);
const QColor kAboveOneColor(0xee, 0x00, 0x00);

bool Near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

// Whether a pixel of `color` lies within `box` of the image.
bool Shows(const QImage& image, const QRect& box, QColor color)
{
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (image.rect().contains(x, y) && Near(image.pixelColor(x, y), color))
                return true;
    return false;
}

QByteArray Svg(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestPlot : public QObject {
    Q_OBJECT

private slots:
    void tickTexts_data();
    void tickTexts();
    void sweepPicture_data();
    void sweepPicture();
    void smithPicture_data();
    void smithPicture();
    void legendWithinNarrowCharts();

private:
    QTemporaryDir dir_;
};

void TestPlot::tickTexts_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<QByteArrayList>("texts");

    QTest::newRow("limits of a noisy sweep, dB") << -0.78 << 0.72
        << QByteArrayList{"-0.8", "-0.6", "-0.4", "-0.2", "0.0", "0.2", "0.4", "0.6", "0.8"};
    QTest::newRow("10 MHz to 6 GHz, in GHz") << 0.01 << 6.0 << QByteArrayList{"0", "1", "2", "3", "4", "5", "6"};
    QTest::newRow("1 kHz at 1 GHz, in GHz") << 1.0 << 1.000001
        << QByteArrayList{"1.0000000", "1.0000002", "1.0000004", "1.0000006", "1.0000008", "1.0000010"};
    QTest::newRow("two values one unit in the last place apart") << 1.0 << 1.0000000000000002
        << QByteArrayList{"0.90", "0.95", "1.00", "1.05", "1.10"};
    QTest::newRow("one value") << 2.45 << 2.45 << QByteArrayList{"2.2", "2.3", "2.4", "2.5", "2.6", "2.7"};
    QTest::newRow("zero alone") << 0.0 << 0.0 << QByteArrayList{"-1.0", "-0.5", "0.0", "0.5", "1.0"};
    QTest::newRow("no finite value") << kInf << -kInf << QByteArrayList{"-1.0", "-0.5", "0.0", "0.5", "1.0"};
}

void TestPlot::tickTexts()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QByteArrayList, texts);
    QByteArrayList shown;
    for (const QString& text : corvalen::plot::TickTexts(corvalen::plot::NiceAxis(low, high)))
        shown.append(text.toUtf8());
    QCOMPARE(shown, texts);
}

void TestPlot::sweepPicture_data()
{
    QTest::addColumn<QList<double>>("frequencyHz");
    QTest::addColumn<QList<double>>("db");  // every series alike; the mismatch loss is drawn on top
    QTest::addColumn<QByteArrayList>("texts");  // in the SVG
    QTest::addColumn<QPoint>("seen");        // where the PNG shows the mismatch loss
    // Where the strip along the frequency axis is red (-1: nowhere), the load's |G| above 1
    // wherever its mismatch loss has no value, as the engine gives it.
    QTest::addColumn<int>("markedX");

    QTest::newRow("two points 2e-7 Hz apart at 1 GHz") << QList<double>{1e9, 1000000000.0000002}
        << QList<double>{0.1, 0.1} << QByteArrayList{"0.95", "1.05", "Frequency (GHz)", "0.090", "0.110"}
        << QPoint(576, 292) << -1;
    QTest::newRow("one point") << QList<double>{2.45e9} << QList<double>{-3.0}
        << QByteArrayList{"2.2", "2.7", "Frequency (GHz)", "-3.3", "-2.7"} << QPoint(576, 292) << -1;
    QTest::newRow("constant series") << QList<double>{1e6, 2e6, 3e6} << QList<double>{0.5, 0.5, 0.5}
        << QByteArrayList{"1.0", "3.0", "Frequency (MHz)", "0.44", "0.56"} << QPoint(300, 292) << -1;
    QTest::newRow("inf and NaN left out") << QList<double>{1e9, 2e9, 3e9, 4e9} << QList<double>{0.3, kInf, -0.4, kNaN}
        << QByteArrayList{"-0.4", "0.3", "|G| &gt; 1 (load)"} << QPoint(740, 519) << 412;
    QTest::newRow("no finite value") << QList<double>{1e9, 2e9} << QList<double>{kNaN, -kInf}
        << QByteArrayList{"-1.0", "1.0"} << QPoint(-9, -9) << 84;
    QList<double> frequencies, spike;
    for (int i = 0; i <= 100000; ++i) {
        frequencies.append(1e9 + i * 1e4);
        spike.append(i == 50000 ? 1.0 : 0.0);
    }
    QTest::newRow("a spike among 100,001 points") << frequencies << spike << QByteArrayList{"0.0", "1.0"}
                                                  << QPoint(576, 70) << -1;
    spike[25000] = kInf;
    QTest::newRow("a lone |G| > 1 among 100,001 points") << frequencies << spike
        << QByteArrayList{"|G| &gt; 1 (load)"} << QPoint(576, 70) << 330;
}

void TestPlot::sweepPicture()
{
    QFETCH(QList<double>, frequencyHz);
    QFETCH(QList<double>, db);
    QFETCH(QByteArrayList, texts);
    QFETCH(QPoint, seen);
    QFETCH(int, markedX);
    QList<double> aboveOneHz;
    for (qsizetype i = 0; i < db.size(); ++i)
        aboveOneHz.append(std::isfinite(db[i]) ? QList<double>{} : QList<double>{frequencyHz[i]});

    for (const QString& kind : {QStringLiteral("svg"), QStringLiteral("png")}) {
        const QByteArray path = dir_.filePath(u"sweep."_qs + kind).toUtf8();
        const CorvalenSweepPlot plot{static_cast<std::size_t>(frequencyHz.size()), frequencyHz.data(), db.data(),
                                     db.data(), nullptr, db.data(), nullptr, nullptr, nullptr, nullptr,
                                     "source.s1p", "1.5", 0, nullptr, static_cast<std::size_t>(aboveOneHz.size()),
                                     aboveOneHz.data(), path.constData()};
        char reason[200] = "";
        QCOMPARE(corvalen_plot_sweep(&plot, reason, sizeof reason), 0);
        if (kind == u"svg") {
            const QByteArray svg = Svg(QString::fromUtf8(path));
            for (const QByteArray& text : texts)
                QVERIFY2(svg.contains('>' + text + '<'), text.constData());
            QVERIFY(!svg.contains(">inf<") && !svg.contains(">nan<"));
            continue;
        }
        const QImage image(QString::fromUtf8(path));
        QCOMPARE(image.size(), QSize(1100, 640));
        const QRect box = seen.x() < 0 ? kSweepArea : QRect(seen - QPoint(4, 4), QSize(9, 9));
        QCOMPARE(Shows(image, box & kSweepArea, kLoadMismatchLossColor), seen.x() >= 0);
        const QRect strip(kSweepArea.left(), kSweepArea.bottom() - 5, kSweepArea.width(), 4);
        QCOMPARE(Shows(image, markedX < 0 ? strip : QRect(markedX, strip.top(), 1, 4), kAboveOneColor), markedX >= 0);
        QVERIFY(!Shows(image, QRect(markedX + 4, strip.top(), 40, 4), kAboveOneColor));  // a lone point stays narrow
    }
}

void TestPlot::smithPicture_data()
{
    QTest::addColumn<QList<double>>("frequencyHz");
    QTest::addColumn<QList<double>>("real");
    QTest::addColumn<QList<double>>("imaginary");
    QTest::addColumn<QByteArrayList>("texts");   // in the SVG
    QTest::addColumn<QByteArrayList>("absent");  // not in the SVG
    QTest::addColumn<QPoint>("traced");          // where the load's colour shows (-9, -9: nowhere)
    QTest::addColumn<QPoint>("marked");          // a red ring for |G| above 1 (-9, -9: none anywhere)

    // With one row of legend the unit circle is 415 pixels across its radius, centred at (470, 505).
    const QPoint none(-9, -9);
    QTest::newRow("a band") << QList<double>{1e9, 2e9} << QList<double>{0.3, 0.1} << QList<double>{0.2, -0.1}
                            << QByteArrayList{"1 GHz", "2 GHz"} << QByteArrayList{} << QPoint(594, 422) << none;
    QTest::newRow("two points 2e-7 Hz apart, labelled once") << QList<double>{1e9, 1000000000.0000002}
        << QList<double>{0.3, 0.3} << QList<double>{0.2, 0.2} << QByteArrayList{"1 GHz"} << QByteArrayList{}
        << QPoint(594, 422) << none;
    QTest::newRow("one point") << QList<double>{2.45e9} << QList<double>{-0.5} << QList<double>{0.1}
                               << QByteArrayList{"2.45 GHz"} << QByteArrayList{} << QPoint(262, 463) << none;
    QTest::newRow("ends without a value") << QList<double>{1e9, 2e9, 3e9, 4e9} << QList<double>{kNaN, 0.1, 0.2, kInf}
        << QList<double>{0.0, 0.1, 0.1, 0.0} << QByteArrayList{"2 GHz", "3 GHz"} << QByteArrayList{"1 GHz", "4 GHz"}
        << QPoint(532, 463) << none;
    QTest::newRow("no finite value") << QList<double>{1e9, 2e9} << QList<double>{kNaN, kInf}
        << QList<double>{0.0, 0.0} << QByteArrayList{"+j1"} << QByteArrayList{"1 GHz", "2 GHz"} << none << none;
    // At the edge of a view reaching |G| = 1.5 (the legend in two rows: 402 pixels at (470, 492)), straight left.
    QTest::newRow("far outside the chart") << QList<double>{1e9, 2e9} << QList<double>{1e300, -1e300}
        << QList<double>{1e300, 0.0} << QByteArrayList{"+j1", "|G| &gt; 1 (beyond 1.5 at the edge)"}
        << QByteArrayList{} << none << QPoint(68, 492);
    // The source's label sits above and left of its circle unless a trace passes there.
    QTest::newRow("a trace where the label would go") << QList<double>{1e9, 2e9} << QList<double>{-0.6, 0.0}
        << QList<double>{0.186, 0.186} << QByteArrayList{"1 GHz", "2 GHz"} << QByteArrayList{} << QPoint(330, 428)
        << none;
    // |G| = 1.02 at 135 degrees: the view reaches 1.02, the unit circle 415 / 1.02 pixels across its radius.
    QTest::newRow("a lone |G| = 1.02 among 0.3") << QList<double>{1e9, 2e9, 3e9} << QList<double>{0.3, -0.7212, 0.3}
        << QList<double>{0.0, 0.7212, 0.0} << QByteArrayList{"|G| &gt; 1"} << QByteArrayList{} << QPoint(592, 505)
        << QPoint(177, 212);
}

void TestPlot::smithPicture()
{
    QFETCH(QList<double>, frequencyHz);
    QFETCH(QList<double>, real);
    QFETCH(QList<double>, imaginary);
    QFETCH(QByteArrayList, texts);
    QFETCH(QByteArrayList, absent);
    QFETCH(QPoint, traced);
    QFETCH(QPoint, marked);

    for (const QString& kind : {QStringLiteral("svg"), QStringLiteral("png")}) {
        const QByteArray path = dir_.filePath(u"smith."_qs + kind).toUtf8();
        const CorvalenSmithTrace load{static_cast<std::size_t>(frequencyHz.size()), frequencyHz.data(), real.data(),
                                      imaginary.data(), 0.0, "load.s1p"};
        const CorvalenSmithTrace source{0, nullptr, nullptr, nullptr, 0.2, "1.5"};
        const CorvalenSmithChart chart{load, source, path.constData()};
        char reason[200] = "";
        QCOMPARE(corvalen_plot_smith(&chart, reason, sizeof reason), 0);
        if (kind == u"svg") {
            const QByteArray svg = Svg(QString::fromUtf8(path));
            QVERIFY(svg.contains(">|G| = 0.200, phase unknown<"));
            for (const QByteArray& text : texts)
                QVERIFY2(svg.count('>' + text + '<') == 1, text.constData());
            for (const QByteArray& text : absent)
                QVERIFY2(!svg.contains('>' + text + '<'), text.constData());
            continue;
        }
        const QImage image(QString::fromUtf8(path));
        QCOMPARE(image.size(), QSize(940, 1000));
        for (const auto& [at, color] : {std::pair(traced, kLoadColor), std::pair(marked, kAboveOneColor)})
            QVERIFY(Shows(image, at.x() < 0 ? kSmithArea : QRect(at - QPoint(4, 4), QSize(9, 9)), color) == (at.x() >= 0));
    }
}

// A window's chart is as narrow as the screen leaves it: at every width the
// legend's entries (a long one through a two-port among them) stay inside the
// picture, shortened rather than cut off at its edge.
void TestPlot::legendWithinNarrowCharts()
{
    const std::vector<double> hz{1e9, 2e9}, db{0.5, -0.5};
    const corvalen::plot::SweepChart chart{hz, db, db, db, db, db, db, db, QStringLiteral("source.s1p"),
                                           QStringLiteral("load.s1p"), QStringLiteral("pad.s2p"), {}, {}};
    for (int width = 420; width <= 1100; width += 4) {
        QImage image(width, 640, QImage::Format_RGB32);
        QPainter painter(&image);
        const corvalen::plot::SweepChartFrame frame = corvalen::plot::DrawSweepChart(painter, image.size(), chart);
        painter.end();
        const QRect legend(0, frame.area.bottom() + 60, width, 640 - frame.area.bottom() - 60);
        for (const QRect& edge : {QRect(legend.left(), legend.top(), 6, legend.height()),
                                  QRect(legend.right() - 5, legend.top(), 6, legend.height())})
            QVERIFY2(!Shows(image, edge, Qt::black), qPrintable(u"legend at the edge, %1 px wide"_qs.arg(width)));
    }
}

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
