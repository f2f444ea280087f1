// SPDX-License-Identifier: MIT
#include "plot/smith_chart.h"

#include "plot/drawing.h"
#include "plot/palette.h"
#include "plot/thinning.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

namespace corvalen::plot {

namespace {

constexpr int kTitleBottom = 50;
constexpr int kLabelRoom = 40;  // outside the unit circle, for the reactance labels

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
    painter.setPen(QPen(palette::kSmithGrid, 1.0));
    // Resistance r: the circle through G = 1 centred at r / (1 + r) on the real axis.
    for (const double r : kGridValues)
        painter.drawEllipse(plane.Map(r / (1 + r), 0), plane.radius / (1 + r), plane.radius / (1 + r));
    for (const double magnitude : kGridValues) {
        DrawReactanceArc(painter, plane, magnitude);
        DrawReactanceArc(painter, plane, -magnitude);
    }
    painter.setPen(QPen(palette::kSmithRealAxis, 1.0));
    painter.drawLine(plane.Map(-1, 0), plane.Map(1, 0));
    painter.setPen(QPen(palette::kSmithUnitCircle, 1.4));
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
    painter.setPen(palette::kSmithScaleText);
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

// The box of a label `text` placed near `anchor`, `turn` of sixteen tries:
// first straight away from `centre`, then 45 degrees to either side, 90 and so
// on, then the same twice as far out.
QRectF LabelBox(const QFontMetrics& metrics, const QString& text, QPointF anchor, QPointF centre, int turn)
{
    const qreal w = metrics.horizontalAdvance(text) + 8;
    const qreal h = metrics.height() + 2;
    const QPointF away = anchor - centre;
    const double outward = std::hypot(away.x(), away.y()) < 1 ? -std::numbers::pi / 4 : std::atan2(away.y(), away.x());
    const int step = (turn % 8 + 1) / 2 * ((turn % 8) % 2 == 1 ? 1 : -1);
    const double angle = outward + step * std::numbers::pi / 4;
    const qreal reach = (turn < 8 ? 10.0 : 28.0);
    const QPointF middle(anchor.x() + std::cos(angle) * (reach + w / 2), anchor.y() + std::sin(angle) * (reach + h / 2));
    return {middle.x() - w / 2, middle.y() - h / 2, w, h};
}

// Places a text near `anchor`, away from `centre`, in the first of the tries
// where it covers no other label and stays within the room's bounds.
void PlaceLabel(QPainter& painter, QPointF anchor, QPointF centre, const QString& text, const QColor& color,
                LabelRoom& room)
{
    const QFontMetrics metrics = painter.fontMetrics();
    QRectF chosen;
    for (int turn = 0; turn < 16; ++turn) {
        const QRectF box = LabelBox(metrics, text, anchor, centre, turn);
        if (chosen.isNull())
            chosen = box;
        const auto covers = [&](const QRectF& other) { return other.intersects(box); };
        if (room.bounds.contains(box) && std::none_of(room.taken.begin(), room.taken.end(), covers)) {
            chosen = box;
            break;
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::kLabelBacking);
    painter.drawRoundedRect(chosen, 3, 3);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(color.darker(125));
    painter.drawText(chosen, Qt::AlignCenter, text);
    room.taken.push_back(chosen);
}

// How far a box lies from the nearest point of the lines, each segment taken
// every few pixels along its length.
qreal Clearance(const QRectF& box, const std::vector<Polyline>& lines)
{
    constexpr qreal kStepPixels = 4;
    constexpr qreal kMostSteps = 1024;  // a segment to a point far off the chart
    qreal nearestSquared = std::numeric_limits<qreal>::infinity();
    const auto take = [&](QPointF p) {
        const qreal dx = std::max({box.left() - p.x(), 0.0, p.x() - box.right()});
        const qreal dy = std::max({box.top() - p.y(), 0.0, p.y() - box.bottom()});
        nearestSquared = std::min(nearestSquared, dx * dx + dy * dy);
    };
    for (const Polyline& line : lines)
        line.ForEachSegment([&](QPointF from, QPointF to) {
            if (nearestSquared == 0)  // the box is on a trace: nothing lies nearer
                return;
            const qreal steps = std::clamp<qreal>(std::ceil(QLineF(from, to).length() / kStepPixels), 1, kMostSteps);
            for (qreal k = 0; k <= steps; ++k)
                take(from + (to - from) * (k / steps));
        });
    return std::sqrt(nearestSquared);
}

// The circle's point for the label: of twelve around it, from `preferredDegrees`
// on, the one whose label lies farthest from every other trace, up to a clear
// margin (the first of equals: the label keeps its usual place when that is
// clear, and the pictures are reproducible).
QPointF LabelAnchor(const QFontMetrics& metrics, const QString& text, const Plane& plane, qreal radius,
                    double preferredDegrees, const std::vector<Polyline>& others)
{
    constexpr qreal kClearPixels = 24;
    QPointF best;
    qreal bestClearance = -1;
    for (int k = 0; k < 12; ++k) {
        const double angle = (preferredDegrees + 30.0 * k) * std::numbers::pi / 180;
        const QPointF anchor(plane.centre.x() + radius * std::cos(angle), plane.centre.y() - radius * std::sin(angle));
        const qreal clearance =
            std::min(kClearPixels, Clearance(LabelBox(metrics, text, anchor, plane.centre, 0), others));
        if (clearance > bestClearance) {
            best = anchor;
            bestClearance = clearance;
        }
    }
    return best;
}

// A fixed |G| with its phase unknown: every point of this circle is possible.
// The two sides' dashes are offset, so equal circles show both colours in turn.
void DrawFixedCircle(QPainter& painter, const SmithTrace& trace, const Plane& plane, const QColor& color,
                     double labelDegrees, qreal dashOffset, const std::vector<Polyline>& others, LabelRoom& room)
{
    const qreal radius = plane.radius * trace.fixedGammaMagnitude;
    QPen dashed(color, 2.0, Qt::DashLine, Qt::FlatCap);
    dashed.setDashOffset(dashOffset);
    painter.setPen(dashed);
    painter.setBrush(radius < 2 ? QBrush(color) : QBrush(Qt::NoBrush));
    painter.drawEllipse(plane.centre, std::max<qreal>(radius, 2), std::max<qreal>(radius, 2));
    painter.setBrush(Qt::NoBrush);
    const QString text = QStringLiteral("|G| = %1, phase unknown").arg(trace.fixedGammaMagnitude, 0, 'f', 3);
    PlaceLabel(painter, LabelAnchor(painter.fontMetrics(), text, plane, radius, labelDegrees, others), plane.centre,
               text, color, room);
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
void DrawMeasured(QPainter& painter, const SmithTrace& trace, const Polyline& line, const Plane& plane,
                  const QColor& color, LabelRoom& room)
{
    painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    line.Draw(painter);
    std::vector<std::size_t> ends = Ends(trace);
    for (const std::size_t i : ends) {
        const QPointF at = plane.Map(trace.real[i], trace.imaginary[i]);
        painter.setPen(QPen(palette::kFace, 1.2));
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

// A side as drawn: its measured trace thinned to pixels, or its fixed circle
// as a line for the other side's label to keep clear of.
Polyline LineOf(const SmithTrace& trace, const Plane& plane)
{
    if (!trace.real.empty())
        return NearbyThinned(trace.real, trace.imaginary, plane.ToPixels());
    Polyline circle;
    for (int k = 0; k <= 72; ++k) {
        const double angle = k * std::numbers::pi / 36;
        circle.Add(plane.Map(trace.fixedGammaMagnitude * std::cos(angle), trace.fixedGammaMagnitude * std::sin(angle)));
    }
    return circle;
}

void DrawTrace(QPainter& painter, const SmithTrace& trace, const std::vector<Polyline>& lines, std::size_t own,
               const Plane& plane, const QColor& color, double labelDegrees, qreal dashOffset, LabelRoom& room)
{
    painter.setFont(Font(13));
    if (trace.real.empty())
        DrawFixedCircle(painter, trace, plane, color, labelDegrees, dashOffset, {lines[1 - own]}, room);
    else
        DrawMeasured(painter, trace, lines[own], plane, color, room);
}

// How far the chart must reach beyond the unit circle for the points of both
// traces, up to kWidestView; the points beyond that are drawn at its edge.
struct Outside {
    double reach = 1.0;
    bool any = false;     // a point with |G| above 1
    bool beyond = false;  // a point beyond the widest view
};
constexpr double kWidestView = 1.5;

// |G| of a point outside the unit circle, else 0 (also for a point without a
// value). The square is tested first: hypot costs more, and nearly every point is inside.
double MagnitudeOutside(double re, double im)
{
    if (!(re * re + im * im > 1.0))
        return 0;
    const double magnitude = std::hypot(re, im);
    return std::isfinite(magnitude) ? magnitude : 0;
}

Outside OutsideOf(const SmithChart& chart)
{
    Outside outside;
    for (const SmithTrace* trace : {&chart.load, &chart.sourceConjugate}) {
        for (std::size_t i = 0; i < std::min(trace->real.size(), trace->imaginary.size()); ++i) {
            const double magnitude = MagnitudeOutside(trace->real[i], trace->imaginary[i]);
            if (magnitude == 0)
                continue;
            outside.any = true;
            outside.beyond = outside.beyond || magnitude > kWidestView;
            outside.reach = std::max(outside.reach, std::min(magnitude, kWidestView));
        }
    }
    return outside;
}

// A ring at each point outside the unit circle, one to a few pixels; a point
// beyond the chart's reach sits at its edge with a tick pointing on outward.
void DrawOutsideMarks(QPainter& painter, const SmithTrace& trace, const Plane& plane, double reach)
{
    constexpr qreal kCellPixels = 3;
    struct Mark {
        long cellX, cellY;
        QPointF at, outward;  // outward: a unit step in pixels, or none within reach
    };
    std::vector<Mark> marks;
    for (std::size_t i = 0; i < std::min(trace.real.size(), trace.imaginary.size()); ++i) {
        const double re = trace.real[i], im = trace.imaginary[i];
        const double magnitude = MagnitudeOutside(re, im);
        if (magnitude == 0)
            continue;
        const double shown = std::min(magnitude, reach) / magnitude;
        const QPointF at = plane.Map(re * shown, im * shown);
        const QPointF outward = magnitude > reach ? QPointF(re / magnitude, -im / magnitude) : QPointF();
        marks.push_back({std::lround(at.x() / kCellPixels), std::lround(at.y() / kCellPixels), at, outward});
    }
    const auto cell = [](const Mark& m) { return std::pair(m.cellX, m.cellY); };
    std::stable_sort(marks.begin(), marks.end(), [&](const Mark& a, const Mark& b) { return cell(a) < cell(b); });
    marks.erase(std::unique(marks.begin(), marks.end(), [&](const Mark& a, const Mark& b) { return cell(a) == cell(b); }),
                marks.end());
    painter.setPen(QPen(palette::kAboveOne, 2.0));
    painter.setBrush(Qt::NoBrush);
    for (const Mark& mark : marks) {
        painter.drawEllipse(mark.at, kAboveOneRingRadius, kAboveOneRingRadius);
        if (!mark.outward.isNull())
            painter.drawLine(mark.at + mark.outward * kAboveOneRingRadius, mark.at + mark.outward * (kAboveOneRingRadius + 8));
    }
}

LegendEntry EntryFor(const SmithTrace& trace, const QColor& color, const QString& text)
{
    if (trace.real.empty())
        return {QPen(color, 2.0, Qt::DashLine), text + QStringLiteral(" (|G| fixed)")};
    return {QPen(color, 1.8), text, LegendSample::LineAndDot};
}

}  // namespace

SmithChartPlane DrawSmithChart(QPainter& painter, QSize size, const SmithChart& chart)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), palette::kFace);

    const QString& load = chart.load.name;
    const QString& source = chart.sourceConjugate.name;
    const Outside outside = OutsideOf(chart);
    std::vector<LegendEntry> legend{
        EntryFor(chart.load, palette::kSmithLoad, QStringLiteral("load %1").arg(load)),
        EntryFor(chart.sourceConjugate, palette::kSmithSource, QStringLiteral("source %1, conjugated").arg(source)),
    };
    if (outside.any)
        legend.push_back({QPen(palette::kAboveOne, 2.0),
                          outside.beyond ? QStringLiteral("|G| > 1 (beyond %1 at the edge)").arg(kWidestView)
                                         : QStringLiteral("|G| > 1"),
                          LegendSample::Ring});
    legend.push_back({QPen(Qt::NoPen), QStringLiteral("Where the traces meet, the pair is conjugate-matched.")});
    const int width = size.width();
    const int legendWidth = width - 40;
    const std::vector<LegendRow> rows = LayOutLegend(painter, legend, legendWidth);
    const int legendTop = size.height() - 14 - static_cast<int>(rows.size()) * kLegendRowHeight;
    const qreal radius =
        std::max<qreal>(1.0, std::min(width, legendTop - kTitleBottom) / 2.0 - kLabelRoom) / outside.reach;
    const Plane plane{QPointF(width / 2.0, (kTitleBottom + legendTop) / 2.0), radius};

    DrawTitle(painter, QStringLiteral("Load %1, source %2 conjugated").arg(load, source), width);

    LabelRoom room{QRectF(2, kTitleBottom, width - 4, size.height() - kTitleBottom - 2), {}};
    DrawGridLines(painter, plane);
    DrawGridLabels(painter, plane, room);
    painter.save();
    painter.setClipRect(QRect(0, kTitleBottom, width, legendTop - kTitleBottom));
    const std::vector<Polyline> lines{LineOf(chart.load, plane), LineOf(chart.sourceConjugate, plane)};
    DrawTrace(painter, chart.load, lines, 0, plane, palette::kSmithLoad, 60, 0, room);
    DrawTrace(painter, chart.sourceConjugate, lines, 1, plane, palette::kSmithSource, 120, 3, room);
    if (outside.any) {
        DrawOutsideMarks(painter, chart.load, plane, outside.reach);
        DrawOutsideMarks(painter, chart.sourceConjugate, plane, outside.reach);
    }
    painter.restore();

    DrawLegend(painter, legend, rows, width / 2, legendTop + kLegendRowHeight / 2, legendWidth);
    painter.restore();
    return {plane.centre, plane.radius};
}

}  // namespace corvalen::plot
