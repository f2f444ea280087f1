// SPDX-License-Identifier: MIT
#include "plot/smith_chart.h"

#include "plot/drawing.h"
#include "plot/thinning.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace corvalen::plot {

namespace {

constexpr int kTitleBottom = 50;
constexpr int kLabelRoom = 40;  // outside the unit circle, for the reactance labels

const QColor kLoadColor(0xc0, 0x39, 0x2b);
const QColor kSourceColor(0x21, 0x61, 0xa8);

// The reflection plane to pixels: the unit circle of `radius` around `centre`.
struct Plane {
    QPointF centre;
    qreal radius;
    QPointF Map(double re, double im) const { return {centre.x() + radius * re, centre.y() - radius * im}; }
    QTransform ToPixels() const { return {radius, 0, 0, -radius, centre.x(), centre.y()}; }
};

// Where labels may go, and the boxes of those already placed, which no later label covers.
struct LabelRoom {
    QRectF bounds;
    std::vector<QRectF> taken;
};

// Grid values of normalised resistance and reactance, as on printed charts.
constexpr std::array kGridValues{0.2, 0.5, 1.0, 2.0, 5.0};

QString GridText(double value)
{
    return QString::number(value, 'g', 3);
}

// Where z = jx meets the rim: G = (x^2 - 1 + 2jx) / (x^2 + 1).
QPointF RimPoint(double x)
{
    return {(x * x - 1) / (x * x + 1), 2 * x / (x * x + 1)};
}

// Reactance x: the part inside the unit circle of the circle centred at 1 + j/x,
// from G = 1 to where z = jx meets the rim.
void DrawReactanceArc(QPainter& painter, const Plane& plane, double x)
{
    const QPointF centre = plane.Map(1, 1 / x);
    const qreal radius = plane.radius / std::abs(x);
    const QPointF rim = RimPoint(x);
    const double startDegrees = std::atan2(rim.y() - 1 / x, rim.x() - 1) * 180 / std::numbers::pi;
    const double sweepDegrees = std::remainder((x > 0 ? -90.0 : 90.0) - startDegrees, 360.0);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, startDegrees);
    arc.arcTo(box, startDegrees, sweepDegrees);
    painter.drawPath(arc);
}

void DrawGridLines(QPainter& painter, const Plane& plane)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 1.0));
    // Resistance r: the circle through G = 1 centred at r / (1 + r) on the real axis.
    for (const double r : kGridValues)
        painter.drawEllipse(plane.Map(r / (1 + r), 0), plane.radius / (1 + r), plane.radius / (1 + r));
    for (const double magnitude : kGridValues) {
        DrawReactanceArc(painter, plane, magnitude);
        DrawReactanceArc(painter, plane, -magnitude);
    }
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    painter.drawLine(plane.Map(-1, 0), plane.Map(1, 0));
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.4));
    painter.drawEllipse(plane.centre, plane.radius, plane.radius);
}

// A label just outside the rim, in the direction of `onRim` (a point of the unit circle).
void DrawRimLabel(QPainter& painter, const Plane& plane, QPointF onRim, const QString& text, LabelRoom& room)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const qreal w = metrics.horizontalAdvance(text) + 4;
    const qreal h = metrics.height();
    const qreal reach = plane.radius + 6 + 0.5 * std::hypot(w * onRim.x(), h * onRim.y());
    const QPointF middle(plane.centre.x() + reach * onRim.x(), plane.centre.y() - reach * onRim.y());
    const QRectF box(middle.x() - w / 2, middle.y() - h / 2, w, h);
    painter.drawText(box, Qt::AlignCenter, text);
    room.taken.push_back(box);
}

void DrawGridLabels(QPainter& painter, const Plane& plane, LabelRoom& room)
{
    painter.setFont(Font(12));
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(QColor(0x55, 0x55, 0x55));
    // Resistance labels on the real axis, left of where each circle crosses it.
    for (const double r : kGridValues) {
        const QPointF at = plane.Map((r - 1) / (r + 1), 0);
        const QString text = GridText(r);
        const QRectF box(at.x() - metrics.horizontalAdvance(text) - 3, at.y() - metrics.height() - 1,
                         metrics.horizontalAdvance(text), metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignBottom, text);
        room.taken.push_back(box);
    }
    // Reactance labels where each arc ends; 0 and infinity on the axis.
    for (const double magnitude : kGridValues) {
        DrawRimLabel(painter, plane, RimPoint(magnitude), QStringLiteral("+j") + GridText(magnitude), room);
        DrawRimLabel(painter, plane, RimPoint(-magnitude), QStringLiteral("\u2212j") + GridText(magnitude), room);
    }
    DrawRimLabel(painter, plane, QPointF(-1, 0), QStringLiteral("0"), room);
    DrawRimLabel(painter, plane, QPointF(1, 0), QStringLiteral("\u221e"), room);
}

// Places a text near `anchor`, away from `centre`, in the first of eight
// directions where it covers no other label and stays within the room's bounds.
void PlaceLabel(QPainter& painter, QPointF anchor, QPointF centre, const QString& text, const QColor& color,
                LabelRoom& room)
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
        if (chosen.isNull())
            chosen = box;
        const auto covers = [&](const QRectF& other) { return other.intersects(box); };
        if (room.bounds.contains(box) && std::none_of(room.taken.begin(), room.taken.end(), covers)) {
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
    room.taken.push_back(chosen);
}

// A fixed |G| with its phase unknown: every point of this circle is possible.
// The two sides' dashes are offset, so equal circles show both colours in turn.
void DrawFixedCircle(QPainter& painter, const SmithTrace& trace, const Plane& plane, const QColor& color,
                     double labelDegrees, qreal dashOffset, LabelRoom& room)
{
    const qreal radius = plane.radius * trace.fixedGammaMagnitude;
    QPen dashed(color, 2.0, Qt::DashLine, Qt::FlatCap);
    dashed.setDashOffset(dashOffset);
    painter.setPen(dashed);
    painter.setBrush(radius < 2 ? QBrush(color) : QBrush(Qt::NoBrush));
    painter.drawEllipse(plane.centre, std::max<qreal>(radius, 2), std::max<qreal>(radius, 2));
    painter.setBrush(Qt::NoBrush);
    const double angle = labelDegrees * std::numbers::pi / 180;
    const QPointF anchor(plane.centre.x() + radius * std::cos(angle), plane.centre.y() - radius * std::sin(angle));
    PlaceLabel(painter, anchor, plane.centre,
               QStringLiteral("|G| = %1, phase unknown").arg(trace.fixedGammaMagnitude, 0, 'f', 3), color, room);
}

// The indices of the first and last points with a value and a frequency to label it, or none.
std::vector<std::size_t> Ends(const SmithTrace& trace)
{
    const std::size_t points = std::min({trace.frequencyHz.size(), trace.real.size(), trace.imaginary.size()});
    const auto finite = [&](std::size_t i) {
        return std::isfinite(trace.frequencyHz[i]) && std::isfinite(trace.real[i]) && std::isfinite(trace.imaginary[i]);
    };
    std::size_t first = 0;
    while (first < points && !finite(first))
        ++first;
    std::size_t last = points;
    while (last > first && !finite(last - 1))
        --last;
    if (first == last)
        return {};
    return last - 1 == first ? std::vector{first} : std::vector{first, last - 1};
}

// The trace, a dot at each end and the ends' frequencies; a band too narrow to
// tell its ends apart in the label's digits is labelled once.
void DrawMeasured(QPainter& painter, const SmithTrace& trace, const Plane& plane, const QColor& color,
                  LabelRoom& room)
{
    painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    NearbyThinned(trace.real, trace.imaginary, plane.ToPixels()).Draw(painter);
    std::vector<std::size_t> ends = Ends(trace);
    for (const std::size_t i : ends) {
        const QPointF at = plane.Map(trace.real[i], trace.imaginary[i]);
        painter.setPen(QPen(Qt::white, 1.2));
        painter.setBrush(color);
        painter.drawEllipse(at, 4.5, 4.5);
        room.taken.push_back(QRectF(at.x() - 5, at.y() - 5, 10, 10));
    }
    if (ends.size() == 2 && FrequencyText(trace.frequencyHz[ends[0]]) == FrequencyText(trace.frequencyHz[ends[1]]))
        ends.pop_back();
    for (const std::size_t i : ends)
        PlaceLabel(painter, plane.Map(trace.real[i], trace.imaginary[i]), plane.centre,
                   FrequencyText(trace.frequencyHz[i]), color, room);
}

void DrawTrace(QPainter& painter, const SmithTrace& trace, const Plane& plane, const QColor& color,
               double labelDegrees, qreal dashOffset, LabelRoom& room)
{
    painter.setFont(Font(13));
    if (trace.real.empty())
        DrawFixedCircle(painter, trace, plane, color, labelDegrees, dashOffset, room);
    else
        DrawMeasured(painter, trace, plane, color, room);
}

LegendEntry EntryFor(const SmithTrace& trace, const QColor& color, const QString& text)
{
    if (trace.real.empty())
        return {QPen(color, 2.0, Qt::DashLine), text + QStringLiteral(" (|G| fixed)")};
    return {QPen(color, 1.8), text, true};
}

}  // namespace

SmithChartPlane DrawSmithChart(QPainter& painter, QSize size, const SmithChart& chart)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);

    const QString& load = chart.load.name;
    const QString& source = chart.sourceConjugate.name;
    const std::vector<LegendEntry> legend{
        EntryFor(chart.load, kLoadColor, QStringLiteral("load %1").arg(load)),
        EntryFor(chart.sourceConjugate, kSourceColor, QStringLiteral("source %1, conjugated").arg(source)),
        {QPen(Qt::NoPen), QStringLiteral("Where the traces meet, the pair is conjugate-matched.")},
    };
    const int width = size.width();
    const int legendWidth = width - 40;
    const std::vector<LegendRow> rows = LayOutLegend(painter, legend, legendWidth);
    const int legendTop = size.height() - 14 - static_cast<int>(rows.size()) * kLegendRowHeight;
    const qreal radius = std::max<qreal>(1.0, std::min(width, legendTop - kTitleBottom) / 2.0 - kLabelRoom);
    const Plane plane{QPointF(width / 2.0, (kTitleBottom + legendTop) / 2.0), radius};

    painter.setFont(Font(19, true));
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 14, width, 30), Qt::AlignHCenter,
                     painter.fontMetrics().elidedText(
                         QStringLiteral("Load %1 and the conjugate of source %2").arg(load, source), Qt::ElideMiddle,
                         width - 40));

    LabelRoom room{QRectF(2, kTitleBottom, width - 4, size.height() - kTitleBottom - 2), {}};
    DrawGridLines(painter, plane);
    DrawGridLabels(painter, plane, room);
    painter.save();
    painter.setClipRect(QRect(0, kTitleBottom, width, legendTop - kTitleBottom));
    DrawTrace(painter, chart.load, plane, kLoadColor, 60, 0, room);
    DrawTrace(painter, chart.sourceConjugate, plane, kSourceColor, 120, 3, room);
    painter.restore();

    DrawLegend(painter, legend, rows, width / 2, legendTop + kLegendRowHeight / 2, legendWidth);
    painter.restore();
    return {plane.centre, plane.radius};
}

}  // namespace corvalen::plot
