// SPDX-License-Identifier: MIT
// corvalen-plot: the load's reflection and the conjugate of the source's on an
// impedance Smith chart. Where the two traces meet, Gs = conj(GL): the pair is
// conjugate-matched at that frequency.

#include "plot/plot_module.h"

#include "plot/drawing.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace corvalen::plot;

constexpr int kWidth = 940;
constexpr int kHeight = 1000;
constexpr int kTitleBottom = 50;
constexpr int kLabelRoom = 40;  // outside the unit circle, for the reactance labels

const QColor kLoadColor(0xc0, 0x39, 0x2b);
const QColor kSourceColor(0x21, 0x61, 0xa8);

// The reflection plane to pixels: the unit circle of `radius` around `centre`.
struct Chart {
    QPointF centre;
    qreal radius;
    QPointF Map(double re, double im) const { return {centre.x() + radius * re, centre.y() - radius * im}; }
};

// Grid values of normalised resistance and reactance, as on printed charts.
constexpr std::array kGridValues{0.2, 0.5, 1.0, 2.0, 5.0};

QString GridText(double value)
{
    return QString::number(value, 'g', 3);
}

void DrawGrid(QPainter& painter, const Chart& chart, std::vector<QRectF>& taken)
{
    const QPen line(QColor(0xc8, 0xc8, 0xc8), 1.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line);
    // Resistance r: the circle through G = 1 centred at r / (1 + r) on the real axis.
    for (const double r : kGridValues)
        painter.drawEllipse(chart.Map(r / (1 + r), 0), chart.radius / (1 + r), chart.radius / (1 + r));
    // Reactance x: the part inside the unit circle of the circle centred at
    // 1 + j/x, from G = 1 to where z = jx meets the rim.
    for (const double magnitude : kGridValues) {
        for (const double x : {magnitude, -magnitude}) {
            const QPointF centre = chart.Map(1, 1 / x);
            const qreal radius = chart.radius / std::abs(x);
            const double rimRe = (x * x - 1) / (x * x + 1);
            const double rimIm = 2 * x / (x * x + 1);
            const double startDegrees = std::atan2(rimIm - 1 / x, rimRe - 1) * 180 / std::numbers::pi;
            const double endDegrees = x > 0 ? -90.0 : 90.0;
            double sweep = std::remainder(endDegrees - startDegrees, 360.0);
            QPainterPath arc;
            const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
            arc.arcMoveTo(box, startDegrees);
            arc.arcTo(box, startDegrees, sweep);
            painter.drawPath(arc);
        }
    }
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    painter.drawLine(chart.Map(-1, 0), chart.Map(1, 0));
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.4));
    painter.drawEllipse(chart.centre, chart.radius, chart.radius);

    painter.setFont(Font(12));
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(QColor(0x55, 0x55, 0x55));
    // Resistance labels on the real axis, left of where each circle crosses it.
    for (const double r : kGridValues) {
        const QPointF at = chart.Map((r - 1) / (r + 1), 0);
        const QString text = GridText(r);
        const QRectF box(at.x() - metrics.horizontalAdvance(text) - 3, at.y() - metrics.height() - 1,
                         metrics.horizontalAdvance(text), metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignBottom, text);
        taken.push_back(box);
    }
    // Reactance labels just outside the rim, where each arc ends; 0 and infinity on the axis.
    const auto outside = [&](double re, double im, const QString& text) {
        const qreal w = metrics.horizontalAdvance(text) + 4;
        const qreal h = metrics.height();
        const qreal reach = chart.radius + 6 + 0.5 * std::hypot(w * re, h * im);
        const QPointF middle(chart.centre.x() + reach * re, chart.centre.y() - reach * im);
        const QRectF box(middle.x() - w / 2, middle.y() - h / 2, w, h);
        painter.drawText(box, Qt::AlignCenter, text);
        taken.push_back(box);
    };
    for (const double magnitude : kGridValues) {
        for (const double x : {magnitude, -magnitude}) {
            const double re = (x * x - 1) / (x * x + 1);
            const double im = 2 * x / (x * x + 1);
            outside(re, im, (x > 0 ? QStringLiteral("+j") : QStringLiteral("\u2212j")) + GridText(magnitude));
        }
    }
    outside(-1, 0, QStringLiteral("0"));
    outside(1, 0, QStringLiteral("\u221e"));
}

// Places a text near `anchor`, away from `centre`, in the first of eight
// directions where it covers no other label and stays on the picture.
void PlaceLabel(QPainter& painter, QPointF anchor, QPointF centre, const QString& text, const QColor& color,
                std::vector<QRectF>& taken)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const qreal w = metrics.horizontalAdvance(text) + 8;
    const qreal h = metrics.height() + 2;
    const QPointF away = anchor - centre;
    const double outward = std::hypot(away.x(), away.y()) < 1 ? -std::numbers::pi / 4 : std::atan2(away.y(), away.x());
    QRectF chosen;
    for (int turn = 0; turn < 16; ++turn) {
        // 0, +45, -45, +90, ... degrees from outward, then the same twice as far out.
        const int step = (turn % 8 + 1) / 2 * ((turn % 8) % 2 == 1 ? 1 : -1);
        const double angle = outward + step * std::numbers::pi / 4;
        const qreal reach = (turn < 8 ? 10.0 : 28.0);
        const QPointF middle(anchor.x() + std::cos(angle) * (reach + w / 2), anchor.y() + std::sin(angle) * (reach + h / 2));
        const QRectF box(middle.x() - w / 2, middle.y() - h / 2, w, h);
        const bool inside = box.left() >= 2 && box.right() <= kWidth - 2 && box.top() >= kTitleBottom
                            && box.bottom() <= kHeight - 2;
        if (chosen.isNull())
            chosen = box;
        if (inside && std::none_of(taken.begin(), taken.end(), [&](const QRectF& r) { return r.intersects(box); })) {
            chosen = box;
            break;
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawRoundedRect(chosen, 3, 3);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(color.darker(125));
    painter.drawText(chosen, Qt::AlignCenter, text);
    taken.push_back(chosen);
}

// One path through the trace; a point is kept only once it has moved half a
// pixel from the last one kept, so a hundred thousand frequencies draw as fast
// and as small as the curve's length in pixels. A point without a finite value
// breaks the line.
QPainterPath TracePath(const CorvalenSmithTrace& trace, const Chart& chart)
{
    Polyline line;
    bool open = false;
    QPointF kept, pending;
    bool hasPending = false;
    const auto finish = [&] {
        if (hasPending)
            line.Add(pending);
        hasPending = false;
    };
    for (std::size_t i = 0; i < trace.points; ++i) {
        if (!std::isfinite(trace.real[i]) || !std::isfinite(trace.imaginary[i])) {
            finish();
            line.Break();
            open = false;
            continue;
        }
        const QPointF point = chart.Map(trace.real[i], trace.imaginary[i]);
        if (open && std::abs(point.x() - kept.x()) < 0.5 && std::abs(point.y() - kept.y()) < 0.5) {
            pending = point;
            hasPending = true;
            continue;
        }
        hasPending = false;
        line.Add(point);
        kept = point;
        open = true;
    }
    finish();
    return line.Path();
}

// The first and last points that have a value, as indices; none when every point lacks one.
std::pair<std::size_t, std::size_t> Ends(const CorvalenSmithTrace& trace)
{
    const auto finite = [&](std::size_t i) { return std::isfinite(trace.real[i]) && std::isfinite(trace.imaginary[i]); };
    std::size_t first = 0;
    while (first < trace.points && !finite(first))
        ++first;
    std::size_t last = trace.points;
    while (last > first && !finite(last - 1))
        --last;
    return {first, last};
}

void DrawTrace(QPainter& painter, const CorvalenSmithTrace& trace, const Chart& chart, const QColor& color,
               double labelDegrees, qreal dashOffset, std::vector<QRectF>& taken)
{
    painter.setFont(Font(13));
    if (trace.points == 0) {
        // A fixed |G| with its phase unknown: every point of this circle is possible.
        // The two sides' dashes are offset, so equal circles show both colours in turn.
        const qreal radius = chart.radius * trace.fixedGammaMagnitude;
        QPen dashed(color, 2.0, Qt::DashLine, Qt::FlatCap);
        dashed.setDashOffset(dashOffset);
        painter.setPen(dashed);
        painter.setBrush(radius < 2 ? QBrush(color) : QBrush(Qt::NoBrush));
        painter.drawEllipse(chart.centre, std::max<qreal>(radius, 2), std::max<qreal>(radius, 2));
        painter.setBrush(Qt::NoBrush);
        const double angle = labelDegrees * std::numbers::pi / 180;
        const QPointF anchor(chart.centre.x() + radius * std::cos(angle), chart.centre.y() - radius * std::sin(angle));
        PlaceLabel(painter, anchor, chart.centre,
                   QStringLiteral("|G| = %1, phase unknown").arg(trace.fixedGammaMagnitude, 0, 'f', 3), color, taken);
        return;
    }
    painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(TracePath(trace, chart));
    const auto [first, last] = Ends(trace);
    if (first == last)
        return;
    std::vector<std::size_t> ends{first};
    if (last - 1 != first)
        ends.push_back(last - 1);
    for (const std::size_t i : ends) {
        const QPointF at = chart.Map(trace.real[i], trace.imaginary[i]);
        painter.setPen(QPen(Qt::white, 1.2));
        painter.setBrush(color);
        painter.drawEllipse(at, 4.5, 4.5);
        taken.push_back(QRectF(at.x() - 5, at.y() - 5, 10, 10));
    }
    for (const std::size_t i : ends)
        PlaceLabel(painter, chart.Map(trace.real[i], trace.imaginary[i]), chart.centre,
                   FrequencyText(trace.frequencyHz[i]), color, taken);
}

void Draw(QPainter& painter, const CorvalenSmithChart& chart)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);

    const QString load = QString::fromUtf8(chart.load.name ? chart.load.name : "");
    const QString source = QString::fromUtf8(chart.sourceConjugate.name ? chart.sourceConjugate.name : "");
    const auto entry = [](const CorvalenSmithTrace& trace, const QColor& color, const QString& text) {
        return trace.points == 0 ? LegendEntry{QPen(color, 2.0, Qt::DashLine), text + QStringLiteral(" (|G| fixed)")}
                                 : LegendEntry{QPen(color, 1.8), text, true};
    };
    const std::vector<LegendEntry> legend{
        entry(chart.load, kLoadColor, QStringLiteral("load %1").arg(load)),
        entry(chart.sourceConjugate, kSourceColor, QStringLiteral("source %1, conjugated").arg(source)),
        {QPen(Qt::NoPen), QStringLiteral("Where the traces meet, the pair is conjugate-matched.")},
    };
    const int legendWidth = kWidth - 40;
    const std::vector<LegendRow> rows = LayOutLegend(painter, legend, legendWidth);
    const int legendTop = kHeight - 14 - static_cast<int>(rows.size()) * kLegendRowHeight;

    const qreal room = std::min<qreal>(kWidth, legendTop - kTitleBottom) / 2.0 - kLabelRoom;
    const Chart plane{QPointF(kWidth / 2.0, (kTitleBottom + legendTop) / 2.0), room};

    painter.setFont(Font(19, true));
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 14, kWidth, 30), Qt::AlignHCenter,
                     painter.fontMetrics().elidedText(
                         QStringLiteral("Load %1 and the conjugate of source %2").arg(load, source), Qt::ElideMiddle,
                         kWidth - 40));

    std::vector<QRectF> taken;
    DrawGrid(painter, plane, taken);
    painter.save();
    painter.setClipRect(QRect(0, kTitleBottom, kWidth, legendTop - kTitleBottom));
    DrawTrace(painter, chart.load, plane, kLoadColor, 60, 0, taken);
    DrawTrace(painter, chart.sourceConjugate, plane, kSourceColor, 120, 3, taken);
    painter.restore();

    DrawLegend(painter, legend, rows, kWidth / 2, legendTop + kLegendRowHeight / 2, legendWidth);
}

bool Drawable(const CorvalenSmithTrace& trace)
{
    return trace.points == 0 ? trace.fixedGammaMagnitude >= 0 && trace.fixedGammaMagnitude <= 1
                             : trace.frequencyHz && trace.real && trace.imaginary;
}

}  // namespace

extern "C" [[gnu::visibility("default")]] int corvalen_plot_smith(const CorvalenSmithChart* chart, char* reason,
                                                                  std::size_t reasonSize)
{
    if (!chart || !Drawable(chart->load) || !Drawable(chart->sourceConjugate)) {
        Report(reason, reasonSize, QStringLiteral("nothing to draw"));
        return 1;
    }
    return DrawToFile(chart->path, QSize(kWidth, kHeight), QStringLiteral("Conjugate match on the Smith chart"),
                      [chart](QPainter& painter) { Draw(painter, *chart); }, reason, reasonSize);
}
