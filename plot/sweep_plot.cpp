// SPDX-License-Identifier: MIT
// corvalen-plot: draws a sweep with QPainter onto an SVG generator or an image.

#include "plot/plot_module.h"

#include "plot/drawing.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace {

using namespace corvalen::plot;

constexpr int kWidth = 1100;
constexpr int kHeight = 640;
// Room for the title, tick labels and axis names; the legend's rows come below.
const QMargins kMargins(84, 64, 32, 94);

struct Series {
    const double* values;
    QString name;
    QPen pen;
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

// One path per series; a point with no finite value breaks the line. Points that
// fall into one pixel column keep only their first, lowest, highest and last
// value, so a hundred thousand frequencies draw as fast and as small as a thousand.
QPainterPath Trace(std::span<const double> x, const double* y, const QTransform& toPixels)
{
    Polyline line;
    long column = std::numeric_limits<long>::min();
    QPointF first, low, high, last;
    const auto flush = [&] {
        if (column == std::numeric_limits<long>::min())
            return;
        for (const QPointF& point : {first, low, high, last})
            line.Add(point);
        column = std::numeric_limits<long>::min();
    };
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(y[i])) {
            flush();
            line.Break();
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
    return line.Path();
}

void Draw(QPainter& painter, const CorvalenSweepPlot& plot)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);

    const QString source = QString::fromUtf8(plot.sourceName);
    const QString load = QString::fromUtf8(plot.loadName);
    const auto pen = [](QColor color, qreal width, Qt::PenStyle style) {
        return QPen(color, width, style, Qt::FlatCap, Qt::RoundJoin);
    };
    std::vector<Series> series{
        {plot.plusUncertaintyDb, QStringLiteral("plus limit"), pen(QColor(0xc0, 0x39, 0x2b), 1.6, Qt::DashLine)},
        {plot.minusUncertaintyDb, QStringLiteral("minus limit"), pen(QColor(0x21, 0x61, 0xa8), 1.6, Qt::DashLine)},
        {plot.loadMismatchLossDb, QStringLiteral("load mismatch loss"), pen(QColor(0x2e, 0x8b, 0x57), 2.0, Qt::DotLine)},
    };
    if (plot.mismatchErrorDb)
        series.push_back({plot.mismatchErrorDb, QStringLiteral("mismatch error (measured phases)"),
                          pen(Qt::black, 1.8, Qt::SolidLine)});
    // Through the two-port: warmer and paler hues of the same roles, dash-dot, so
    // each direct limit has its through partner beside it in the legend.
    const QString through = plot.throughName ? QString::fromUtf8(plot.throughName) : QString();
    if (plot.throughName && plot.throughPlusUncertaintyDb && plot.throughMinusUncertaintyDb) {
        series.push_back({plot.throughPlusUncertaintyDb, QStringLiteral("plus limit through %1").arg(through),
                          pen(QColor(0xe6, 0x7e, 0x22), 1.8, Qt::DashDotLine)});
        series.push_back({plot.throughMinusUncertaintyDb, QStringLiteral("minus limit through %1").arg(through),
                          pen(QColor(0x16, 0xa0, 0x85), 1.8, Qt::DashDotLine)});
    }
    if (plot.throughName && plot.throughMismatchErrorDb)
        series.push_back({plot.throughMismatchErrorDb,
                          QStringLiteral("mismatch error through %1 (measured phases)").arg(through),
                          pen(QColor(0x8e, 0x44, 0xad), 1.8, Qt::SolidLine)});

    std::vector<LegendEntry> legend;
    for (const Series& s : series)
        legend.push_back({s.pen, s.name});
    const int legendWidth = kWidth - 40;
    const std::vector<LegendRow> rows = LayOutLegend(painter, legend, legendWidth);
    QMargins margins = kMargins;
    margins.setBottom(kMargins.bottom() + static_cast<int>(rows.size()) * kLegendRowHeight);
    const QRect area = QRect(0, 0, kWidth, kHeight).marginsRemoved(margins);

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
    const QString title = plot.throughName ? QStringLiteral("Source %1, load %2, through %3").arg(source, load, through)
                                           : QStringLiteral("Source %1, load %2").arg(source, load);
    painter.drawText(QRect(0, 14, kWidth, 30), Qt::AlignHCenter,
                     painter.fontMetrics().elidedText(title, Qt::ElideMiddle, kWidth - 40));

    painter.save();
    painter.setClipRect(area);
    for (const Series& s : series) {
        painter.setPen(s.pen);
        painter.drawPath(Trace(frequencyHz, s.values, toPixels));
    }
    painter.restore();

    // The legend under the axis name, in as many rows as its entries need.
    DrawLegend(painter, legend, rows, area.center().x(), area.bottom() + 80, legendWidth);
}

}  // namespace

extern "C" [[gnu::visibility("default")]] int corvalen_plot_sweep(const CorvalenSweepPlot* plot, char* reason,
                                                                  std::size_t reasonSize)
{
    if (!plot || plot->points == 0) {
        Report(reason, reasonSize, QStringLiteral("nothing to draw"));
        return 1;
    }
    return DrawToFile(plot->path, QSize(kWidth, kHeight), QStringLiteral("Mismatch across frequency"),
                      [plot](QPainter& painter) { Draw(painter, *plot); }, reason, reasonSize);
}
