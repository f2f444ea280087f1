// SPDX-License-Identifier: MIT
#include "plot/sweep_chart.h"

#include "plot/axis.h"
#include "plot/drawing.h"
#include "plot/palette.h"
#include "plot/thinning.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace corvalen::plot {

namespace {

// Room for the title, tick labels and axis names; the legend's rows come below.
const QMargins kMargins(84, 64, 32, 94);

struct Series {
    std::span<const double> values;
    QString name;
    QPen pen;
};

QPen TracePen(QColor color, qreal width, Qt::PenStyle style)
{
    return QPen(color, width, style, Qt::FlatCap, Qt::RoundJoin);
}

// Through the two-port: warmer and paler hues of the same roles, dash-dot, so
// each direct limit has its through partner beside it in the legend.
std::vector<Series> SeriesOf(const SweepChart& chart)
{
    std::vector<Series> series{
        {chart.plusDb, QStringLiteral("plus limit"), TracePen(palette::kPlusLimit, 1.6, Qt::DashLine)},
        {chart.minusDb, QStringLiteral("minus limit"), TracePen(palette::kMinusLimit, 1.6, Qt::DashLine)},
        {chart.mismatchLossDb, QStringLiteral("load mismatch loss"),
         TracePen(palette::kMismatchLoss, 2.0, Qt::DotLine)},
        {chart.errorDb, QStringLiteral("mismatch error (measured phases)"), TracePen(palette::kMismatchError, 1.8, Qt::SolidLine)},
    };
    const QString& through = chart.throughName;
    if (!chart.throughPlusDb.empty() && !chart.throughMinusDb.empty()) {
        series.push_back({chart.throughPlusDb, QStringLiteral("plus limit through %1").arg(through),
                          TracePen(palette::kThroughPlusLimit, 1.8, Qt::DashDotLine)});
        series.push_back({chart.throughMinusDb, QStringLiteral("minus limit through %1").arg(through),
                          TracePen(palette::kThroughMinusLimit, 1.8, Qt::DashDotLine)});
    }
    series.push_back({chart.throughErrorDb, QStringLiteral("mismatch error through %1 (measured phases)").arg(through),
                      TracePen(palette::kThroughMismatchError, 1.8, Qt::SolidLine)});
    std::erase_if(series, [](const Series& s) { return s.values.empty(); });
    return series;
}

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Take(std::span<const double> values)
    {
        for (const double value : values) {
            if (std::isfinite(value)) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
    }
};

// The axes, and the map from data (hertz, dB) to pixels.
struct Frame {
    FrequencyUnit unit;
    Axis x;  // in `unit`
    Axis y;  // in dB
    QTransform toPixels;
};

Frame FrameFor(std::span<const double> frequencyHz, const std::vector<Series>& series, const QRect& area)
{
    Range frequency;
    frequency.Take(frequencyHz);
    Range db;
    for (const Series& s : series)
        db.Take(s.values);
    const FrequencyUnit unit = UnitFor(std::isfinite(frequency.high) ? std::abs(frequency.high) : 0.0);
    Frame frame{unit, NiceAxis(frequency.low / unit.hertz, frequency.high / unit.hertz), NiceAxis(db.low, db.high), {}};
    frame.toPixels.translate(area.left(), area.bottom());
    frame.toPixels.scale(area.width() / ((frame.x.To() - frame.x.from) * unit.hertz),
                         -area.height() / (frame.y.To() - frame.y.from));
    frame.toPixels.translate(-frame.x.from * unit.hertz, -frame.y.from);
    return frame;
}

void DrawGrid(QPainter& painter, const Frame& frame, const QRect& area)
{
    painter.setFont(Font(13));
    const QColor& grid = palette::kGrid;
    const QStringList xTexts = TickTexts(frame.x);
    for (int k = 0; k <= frame.x.intervals; ++k) {
        const qreal px = frame.toPixels.map(QPointF(frame.x.Tick(k) * frame.unit.hertz, 0.0)).x();
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        painter.setPen(palette::kText);
        painter.drawText(QRectF(px - 60, area.bottom() + 6, 120, 20), Qt::AlignHCenter | Qt::AlignTop, xTexts[k]);
    }
    const QStringList yTexts = TickTexts(frame.y);
    for (int k = 0; k <= frame.y.intervals; ++k) {
        const qreal py = frame.toPixels.map(QPointF(0.0, frame.y.Tick(k))).y();
        const bool zero = std::abs(frame.y.Tick(k)) < frame.y.step / 2;
        painter.setPen(QPen(zero ? palette::kZeroLine : grid, 1));
        painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
        painter.setPen(palette::kText);
        painter.drawText(QRectF(0, py - 10, area.left() - 8, 20), Qt::AlignRight | Qt::AlignVCenter, yTexts[k]);
    }
    painter.setPen(QPen(palette::kText, 1));
    painter.drawRect(area);
}

void DrawTitles(QPainter& painter, const SweepChart& chart, const FrequencyUnit& unit, const QRect& area, int width)
{
    painter.setPen(palette::kText);
    painter.setFont(Font(15));
    painter.drawText(QRect(area.left(), area.bottom() + 30, area.width(), 22), Qt::AlignHCenter,
                     QStringLiteral("Frequency (%1)").arg(unit.name));
    painter.save();
    painter.translate(18, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-100, -10, 200, 22), Qt::AlignHCenter, QStringLiteral("dB"));
    painter.restore();
    const QString title =
        chart.throughName.isEmpty()
            ? QStringLiteral("Source %1, load %2").arg(chart.sourceName, chart.loadName)
            : QStringLiteral("Source %1, load %2, through %3").arg(chart.sourceName, chart.loadName, chart.throughName);
    DrawTitle(painter, title, width);
}

// The stretches of the plotting area over frequencies where a side's |G| is
// above 1: each point at least three pixels wide, so that a lone one shows,
// joined to the next where they touch. Both lists are ascending.
std::vector<std::pair<qreal, qreal>> AboveOneSpans(const SweepChart& chart, const QTransform& toPixels,
                                                   const QRect& area)
{
    std::vector<double> hz(chart.sourceAboveOneHz.size() + chart.loadAboveOneHz.size());
    std::merge(chart.sourceAboveOneHz.begin(), chart.sourceAboveOneHz.end(), chart.loadAboveOneHz.begin(),
               chart.loadAboveOneHz.end(), hz.begin());
    std::vector<std::pair<qreal, qreal>> spans;
    for (const double frequency : hz) {
        if (!std::isfinite(frequency))
            continue;
        const qreal x = toPixels.map(QPointF(frequency, 0.0)).x();
        const qreal left = std::max<qreal>(x - 1.5, area.left());
        const qreal right = std::min<qreal>(x + 1.5, area.left() + area.width());
        if (left >= right)
            continue;
        if (!spans.empty() && left <= spans.back().second)
            spans.back().second = std::max(spans.back().second, right);
        else
            spans.emplace_back(left, right);
    }
    return spans;
}

// A pale band behind the traces, which break there for want of a value, and a
// red strip along the frequency axis.
void DrawAboveOne(QPainter& painter, const std::vector<std::pair<qreal, qreal>>& spans, const QRect& area)
{
    constexpr qreal kStripHeight = 7;
    for (const auto& [left, right] : spans) {
        painter.fillRect(QRectF(left, area.top(), right - left, area.height()), AboveOneBandColor());
        painter.fillRect(QRectF(left, area.top() + area.height() - kStripHeight, right - left, kStripHeight),
                         palette::kAboveOne);
    }
}

// The legend's entry for the marks, naming the sides they belong to, or none.
std::optional<LegendEntry> AboveOneEntry(const SweepChart& chart)
{
    const bool source = !chart.sourceAboveOneHz.empty();
    const bool load = !chart.loadAboveOneHz.empty();
    if (!source && !load)
        return std::nullopt;
    const QString sides = source && load ? QStringLiteral("source and load")
                          : source       ? QStringLiteral("source")
                                         : QStringLiteral("load");
    return LegendEntry{QPen(palette::kAboveOne, 1.0), QStringLiteral("|G| > 1 (%1)").arg(sides), LegendSample::Band};
}

}  // namespace

SweepChartFrame DrawSweepChart(QPainter& painter, QSize size, const SweepChart& chart)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), palette::kFace);

    const std::vector<Series> series = SeriesOf(chart);
    std::vector<LegendEntry> legend;
    for (const Series& s : series)
        legend.push_back({s.pen, s.name});
    if (const std::optional<LegendEntry> aboveOne = AboveOneEntry(chart))
        legend.push_back(*aboveOne);
    const int legendWidth = size.width() - 40;
    const std::vector<LegendRow> rows = LayOutLegend(painter, legend, legendWidth);
    QMargins margins = kMargins;
    margins.setBottom(kMargins.bottom() + static_cast<int>(rows.size()) * kLegendRowHeight);
    QRect area = QRect(QPoint(0, 0), size).marginsRemoved(margins);
    area.setSize(area.size().expandedTo(QSize(1, 1)));
    const Frame frame = FrameFor(chart.frequencyHz, series, area);

    DrawGrid(painter, frame, area);
    DrawTitles(painter, chart, frame.unit, area, size.width());
    DrawAboveOne(painter, AboveOneSpans(chart, frame.toPixels, area), area);
    painter.save();
    painter.setClipRect(area);
    for (const Series& s : series) {
        painter.setPen(s.pen);
        ColumnEnvelope(chart.frequencyHz, s.values, frame.toPixels).Draw(painter);
    }
    painter.restore();
    // The legend under the axis name, in as many rows as its entries need, centred
    // on the picture as its rows were laid out (the plot area lies right of centre).
    DrawLegend(painter, legend, rows, size.width() / 2, area.bottom() + 80, legendWidth);
    painter.restore();
    return {area, frame.toPixels};
}

}  // namespace corvalen::plot
