// SPDX-License-Identifier: MIT
// corvalen-plot: draws a sweep with QPainter onto an SVG generator or an image.

#include "plot/plot_module.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <span>
#include <vector>

namespace {

constexpr int kWidth = 1100;
constexpr int kHeight = 640;
const QMargins kMargins(84, 64, 32, 118);  // room for the title, tick labels, axis names and legend

struct Series {
    const double* values;
    QString name;
    QColor color;
    Qt::PenStyle style;
    qreal width;
};

struct Axis {
    double from;
    double to;
    double step;
    int decimals;
};

// Ticks at 1, 2 or 5 times a power of ten, about six of them.
Axis NiceAxis(double low, double high)
{
    if (!(high > low)) {
        const double pad = low == 0.0 ? 1.0 : std::abs(low) * 0.1;
        low -= pad;
        high += pad;
    }
    const double raw = (high - low) / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / power;
    const double step = (normal < 1.5 ? 1.0 : normal < 3.0 ? 2.0 : normal < 7.0 ? 5.0 : 10.0) * power;
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step,
            std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)))};
}

struct FrequencyUnit {
    double hertz;
    QString name;
};

FrequencyUnit UnitFor(double highestHz)
{
    if (highestHz >= 1e9)
        return {1e9, QStringLiteral("GHz")};
    if (highestHz >= 1e6)
        return {1e6, QStringLiteral("MHz")};
    if (highestHz >= 1e3)
        return {1e3, QStringLiteral("kHz")};
    return {1.0, QStringLiteral("Hz")};
}

QFont Font(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// One path per series; a point with no finite value breaks the line. Points that
// fall into one pixel column keep only their first, lowest, highest and last
// value, so a hundred thousand frequencies draw as fast and as small as a thousand.
QPainterPath Trace(std::span<const double> x, const double* y, const QTransform& toPixels)
{
    QPainterPath path;
    bool open = false;
    long column = std::numeric_limits<long>::min();
    QPointF first, low, high, last;
    const auto flush = [&] {
        if (column == std::numeric_limits<long>::min())
            return;
        for (const QPointF& point : {first, low, high, last}) {
            if (open)
                path.lineTo(point);
            else
                path.moveTo(point);
            open = true;
        }
        column = std::numeric_limits<long>::min();
    };
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(y[i])) {
            flush();
            open = false;
            continue;
        }
        const QPointF point = toPixels.map(QPointF(x[i], y[i]));
        const long here = std::lround(point.x());
        if (here != column) {
            flush();
            column = here;
            first = low = high = point;
        }
        if (point.y() > low.y())
            low = point;
        if (point.y() < high.y())
            high = point;
        last = point;
    }
    flush();
    return path;
}

void Draw(QPainter& painter, const CorvalenSweepPlot& plot)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
    const QRect area = QRect(0, 0, kWidth, kHeight).marginsRemoved(kMargins);

    const QString source = QString::fromUtf8(plot.sourceName);
    const QString load = QString::fromUtf8(plot.loadName);
    std::vector<Series> series{
        {plot.plusUncertaintyDb, QStringLiteral("plus limit"), QColor(0xc0, 0x39, 0x2b), Qt::DashLine, 1.6},
        {plot.minusUncertaintyDb, QStringLiteral("minus limit"), QColor(0x21, 0x61, 0xa8), Qt::DashLine, 1.6},
        {plot.loadMismatchLossDb, QStringLiteral("load mismatch loss"), QColor(0x2e, 0x8b, 0x57), Qt::DotLine, 2.0},
    };
    if (plot.mismatchErrorDb)
        series.push_back({plot.mismatchErrorDb, QStringLiteral("mismatch error (measured phases)"), Qt::black,
                          Qt::SolidLine, 1.8});

    const std::span<const double> frequencyHz(plot.frequencyHz, plot.points);
    const FrequencyUnit unit = UnitFor(frequencyHz.back());
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const Series& s : series) {
        for (std::size_t i = 0; i < plot.points; ++i) {
            if (std::isfinite(s.values[i])) {
                low = std::min(low, s.values[i]);
                high = std::max(high, s.values[i]);
            }
        }
    }
    if (!std::isfinite(low))
        low = high = 0.0;
    const Axis x = NiceAxis(frequencyHz.front() / unit.hertz, frequencyHz.back() / unit.hertz);
    const Axis y = NiceAxis(low, high);

    // Data coordinates (hertz, dB) to pixels.
    QTransform toPixels;
    toPixels.translate(area.left(), area.bottom());
    toPixels.scale(area.width() / ((x.to - x.from) * unit.hertz), -area.height() / (y.to - y.from));
    toPixels.translate(-x.from * unit.hertz, -y.from);

    painter.setFont(Font(13));
    const QFontMetrics metrics(painter.font());
    const QColor grid(0xdd, 0xdd, 0xdd);
    for (double v = x.from; v <= x.to + x.step / 2; v += x.step) {
        const qreal px = toPixels.map(QPointF(v * unit.hertz, y.from)).x();
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(px - 50, area.bottom() + 6, 100, 20), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(v, 'f', x.decimals));
    }
    for (double v = y.from; v <= y.to + y.step / 2; v += y.step) {
        const qreal py = toPixels.map(QPointF(x.from * unit.hertz, v)).y();
        painter.setPen(QPen(std::abs(v) < y.step / 2 ? QColor(0x99, 0x99, 0x99) : grid, 1));
        painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, py - 10, area.left() - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(std::abs(v) < y.step / 2 ? 0.0 : v, 'f', y.decimals));
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(area);

    painter.setFont(Font(15));
    painter.drawText(QRect(area.left(), area.bottom() + 30, area.width(), 22), Qt::AlignHCenter,
                     QStringLiteral("Frequency (%1)").arg(unit.name));
    painter.save();
    painter.translate(18, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-100, -10, 200, 22), Qt::AlignHCenter, QStringLiteral("dB"));
    painter.restore();
    painter.setFont(Font(19, true));
    painter.drawText(QRect(0, 14, kWidth, 30), Qt::AlignHCenter,
                     QStringLiteral("Source %1, load %2").arg(source, load));

    painter.save();
    painter.setClipRect(area);
    for (const Series& s : series) {
        painter.setPen(QPen(s.color, s.width, s.style, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPath(Trace(frequencyHz, s.values, toPixels));
    }
    painter.restore();

    // The legend, in one row under the axis name.
    painter.setFont(Font(14));
    const QFontMetrics legendMetrics(painter.font());
    int total = 0;
    for (const Series& s : series)
        total += 40 + legendMetrics.horizontalAdvance(s.name) + 28;
    int left = area.center().x() - total / 2;
    const int middle = area.bottom() + 80;
    for (const Series& s : series) {
        painter.setPen(QPen(s.color, s.width + 0.6, s.style, Qt::FlatCap));
        painter.drawLine(left, middle, left + 32, middle);
        painter.setPen(Qt::black);
        painter.drawText(QRect(left + 40, middle - 11, 400, 22), Qt::AlignLeft | Qt::AlignVCenter, s.name);
        left += 40 + legendMetrics.horizontalAdvance(s.name) + 28;
    }
    (void)metrics;
}

// Draws onto an open file; false if the painter could not start.
bool Render(QSaveFile& file, const CorvalenSweepPlot& plot, bool svg)
{
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(QSize(kWidth, kHeight));
        generator.setViewBox(QRect(0, 0, kWidth, kHeight));
        generator.setTitle(QStringLiteral("Mismatch across frequency"));
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        Draw(painter, plot);
        return painter.end();
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    Draw(painter, plot);
    painter.end();
    return image.save(&file, "PNG");
}

void Report(char* reason, std::size_t reasonSize, const QString& text)
{
    if (reasonSize == 0)
        return;
    const QByteArray bytes = text.toUtf8();
    const std::size_t length = std::min(static_cast<std::size_t>(bytes.size()), reasonSize - 1);
    std::memcpy(reason, bytes.constData(), length);
    reason[length] = '\0';
}

// Qt's own notes (missing runtime folder and the like) are no business of a
// command-line user; real failures come back through the return value.
void Quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "corvalen-plot: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

extern "C" [[gnu::visibility("default")]] int corvalen_plot_sweep(const CorvalenSweepPlot* plot, char* reason,
                                                                  std::size_t reasonSize)
{
    try {
        if (!plot || plot->points == 0) {
            Report(reason, reasonSize, QStringLiteral("nothing to draw"));
            return 1;
        }
        const QtMessageHandler previous = qInstallMessageHandler(Quiet);
        // No display is needed: the offscreen platform still gives fonts and painting.
        int argc = 3;
        char program[] = "corvalen-cli";
        char platformOption[] = "-platform";
        char platform[] = "offscreen";
        char* argv[] = {program, platformOption, platform, nullptr};
        std::unique_ptr<QGuiApplication> application;
        if (!QGuiApplication::instance())
            application = std::make_unique<QGuiApplication>(argc, argv);

        const QString path = QString::fromUtf8(plot->path);
        QSaveFile file(path);
        bool written = file.open(QIODevice::WriteOnly)
                       && Render(file, *plot, path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive));
        QString failure = file.errorString();
        written = written && file.commit();
        if (!written && failure.isEmpty())
            failure = file.errorString();
        application.reset();
        qInstallMessageHandler(previous);
        if (!written) {
            Report(reason, reasonSize, failure);
            return 1;
        }
        return 0;
    } catch (const std::exception& error) {
        Report(reason, reasonSize, QString::fromUtf8(error.what()));
        return 1;
    }
}
