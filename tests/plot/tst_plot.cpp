// SPDX-License-Identifier: MIT
// The plot module in process: the tick labels a span gets, and the pictures it
// writes for data at the edges (a span narrower than the labels' digits, one
// point, a constant series, values that are not finite, a spike among 100,001
// points), as SVG (its texts) and as PNG (where the trace shows).

#include "plot/axis.h"
#include "plot/drawing.h"
#include "plot/palette.h"
#include "plot/picture_file.h"
#include "plot/plot_module.h"
#include "tests/colour_schemes.h"
#include "plot/sweep_chart.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <array>
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
const QColor kLoadColor(0x57, 0x00, 0xd9);
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

// CIE L*a*b* of an sRGB colour (D65), the textbook formulas: distances in it
// follow how far apart a person sees two colours.
std::array<double, 3> Lab(QColor color)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double r = linear(color.redF()), g = linear(color.greenF()), b = linear(color.blueF());
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) { return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0; };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

QByteArray Svg(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestPlot : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:

    void tickTexts_data()
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

    void tickTexts()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QByteArrayList, texts);
        QByteArrayList shown;
        for (const QString& text : corvalen::plot::TickTexts(corvalen::plot::NiceAxis(low, high)))
            shown.append(text.toUtf8());
        QCOMPARE(shown, texts);
    }

    void sweepPicture_data()
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

    void sweepPicture()
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

    void smithPicture_data()
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

    void smithPicture()
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

    // Every colour with a meaning, each pair at least 25 apart in CIE76 (about
    // where two thin lines stop reading as the same colour); the cursor and the
    // marks of |G| above 1 at least 3:1 against the white face.
    void paletteColoursStandApart()
    {
        using namespace corvalen::plot;
        const auto& colours = palette::kDataColors;
        for (std::size_t i = 0; i < colours.size(); ++i)
            for (std::size_t j = i + 1; j < colours.size(); ++j) {
                const auto a = Lab(colours[i]), b = Lab(colours[j]);
                const double distance = std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
                QVERIFY2(distance >= 25.0, qPrintable(QStringLiteral("%1 and %2: %3").arg(colours[i].name(),
                                                                                       colours[j].name()).arg(distance)));
            }
        for (const QColor& colour : {palette::kCursor, palette::kAboveOne})
            QVERIFY2(corvalen::tests::Contrast(colour, palette::kFace) >= 3.0, qPrintable(colour.name()));
    }

    void frequencyTexts_data()
    {
        QTest::addColumn<double>("hertz");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a kilohertz") << 999.0 << u"999 Hz"_qs;
        QTest::newRow("no frequency") << 0.0 << u"0 Hz"_qs;
        QTest::newRow("exactly a kilohertz") << 1e3 << u"1 kHz"_qs;
        QTest::newRow("just below a megahertz") << 999999.0 << u"999.999 kHz"_qs;
        QTest::newRow("six digits kept") << 1234567.0 << u"1.23457 MHz"_qs;
        QTest::newRow("2.45 GHz") << 2.45e9 << u"2.45 GHz"_qs;
        QTest::newRow("a terahertz stays in GHz") << 1e12 << u"1000 GHz"_qs;
    }

    void frequencyTexts()
    {
        QFETCH(double, hertz);
        QFETCH(QString, text);
        QCOMPARE(corvalen::plot::FrequencyText(hertz), text);
    }

    // The unit circle of a 940 x 1000 picture with one row of legend: centred
    // between the title (50) and the legend (960), 910 / 2 less 40 for the labels.
    // A single point is drawn as a dot in the load's colour at centre + 415 * G.
    void smithPointsWhereExpected_data()
    {
        QTest::addColumn<double>("re");
        QTest::addColumn<double>("im");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("matched, z = 1") << 0.0 << 0.0 << QPoint(470, 505);
        QTest::newRow("G = 0.6, z = 4") << 0.6 << 0.0 << QPoint(719, 505);
        QTest::newRow("G = 0.6j, inductive, up") << 0.0 << 0.6 << QPoint(470, 256);
        QTest::newRow("G = -0.6j, capacitive, down") << 0.0 << -0.6 << QPoint(470, 754);
        QTest::newRow("G = -0.3 - 0.4j") << -0.3 << -0.4 << QPoint(345, 671);
    }

    void smithPointsWhereExpected()
    {
        using namespace corvalen::plot;
        QFETCH(double, re);
        QFETCH(double, im);
        QFETCH(QPoint, pixel);
        const double hz[] = {1e9};
        const SmithChart chart{{hz, std::span(&re, 1), std::span(&im, 1), 0.0, u"load.s1p"_qs},
                               {{}, {}, {}, 0.2, u"1.5"_qs}};
        QImage image(kSmithChartSize, QImage::Format_RGB32);
        QPainter painter(&image);
        const SmithChartPlane plane = DrawSmithChart(painter, kSmithChartSize, chart);
        painter.end();
        QCOMPARE(plane.centre, QPointF(470, 505));
        QCOMPARE(plane.radius, 415.0);
        QVERIFY(Near(image.pixelColor(pixel), palette::kSmithLoad));
    }

    // The plotting area of a 1100 x 640 picture with one row of legend, and the
    // axes' ends at its edges: 1 to 2 GHz across, -1 to 1 dB up.
    void sweepFrameMapsTheAxes()
    {
        using namespace corvalen::plot;
        const double hz[] = {1e9, 2e9};
        const double plus[] = {1.0, 0.5};
        const double minus[] = {-1.0, -0.5};
        const double loss[] = {0.0, 0.0};
        const SweepChart chart{hz, plus, minus, {}, loss, {}, {}, {}, u"source.s1p"_qs, u"load.s1p"_qs, {}, {}, {}};
        QImage image(kSweepChartSize, QImage::Format_RGB32);
        QPainter painter(&image);
        const SweepChartFrame frame = DrawSweepChart(painter, kSweepChartSize, chart);
        painter.end();
        QCOMPARE(frame.area, kSweepArea);
        // From the bottom left pixel (84, 519), 984 pixels across and 456 up.
        QCOMPARE(frame.toPixels.map(QPointF(1e9, -1.0)), QPointF(84, 519));
        QCOMPARE(frame.toPixels.map(QPointF(2e9, 1.0)), QPointF(1068, 63));
        QCOMPARE(frame.toPixels.map(QPointF(1.5e9, 0.0)), QPointF(576, 291));
    }

    // The one picture interface: the kind of file by its name's ending in any
    // case, and a refusal that leaves nothing behind.
    void writePicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("smith");
        QTest::addColumn<int>("points");  // in the load mismatch loss of a 2-point sweep, or the load's on the Smith chart
        QTest::addColumn<QByteArray>("starts");  // the file's first bytes; empty when none is written
        QTest::addColumn<QString>("failure");
        QTest::newRow("SVG in capitals") << u"a.SVG"_qs << false << 2 << QByteArrayLiteral("<?xml") << QString();
        QTest::newRow("PNG") << u"a.png"_qs << false << 2 << QByteArrayLiteral("\x89PNG") << QString();
        QTest::newRow("a series shorter than the frequencies") << u"a.png"_qs << false << 1 << QByteArrayLiteral("")
                                                                << u"nothing to draw"_qs;
        QTest::newRow("no such folder") << u"none/a.png"_qs << false << 2 << QByteArrayLiteral("") << u"*"_qs;
        QTest::newRow("Smith chart") << u"s.svg"_qs << true << 2 << QByteArrayLiteral("<?xml") << QString();
        QTest::newRow("Smith parts of G fewer than frequencies") << u"s.svg"_qs << true << 1 << QByteArrayLiteral("")
                                                                << u"nothing to draw"_qs;
    }

    void writePicture()
    {
        using namespace corvalen::plot;
        QFETCH(QString, name);
        QFETCH(bool, smith);
        QFETCH(int, points);
        QFETCH(QByteArray, starts);
        QFETCH(QString, failure);
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        const double hz[] = {1e9, 2e9};
        const double db[] = {0.5, 0.25};
        const std::span values(db, static_cast<std::size_t>(points));
        const std::string written =
            smith ? WritePicture(SmithChart{{hz, values, values, 0.0, u"load.s1p"_qs}, {{}, {}, {}, 0.2, u"1.5"_qs}},
                                 path.toStdString())
                  : WritePicture(SweepChart{hz, db, db, {}, values, {}, {}, {}, u"1.5"_qs, u"load.s1p"_qs, {}, {}, {}},
                                 path.toStdString());
        if (failure == u"*")
            QVERIFY(!written.empty());
        else
            QCOMPARE(QString::fromStdString(written), failure);
        QCOMPARE(Svg(path).left(starts.size()), starts);
        QCOMPARE(QFile::exists(path), !starts.isEmpty());
    }

    // A window's chart is as narrow as the screen leaves it: at every width the
    // legend's entries (a long one through a two-port among them) stay inside the
    // picture, shortened rather than cut off at its edge.
    void legendWithinNarrowCharts()
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
};

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
