// SPDX-License-Identifier: MIT
#include "chart_views.h"

#include "plot/drawing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <complex>

namespace corvalen::sweepwindow {
namespace {

QString Name(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

plot::SmithTrace TraceOf(const measuredtext::SmithSeries& series)
{
    return {series.frequencyHz, series.real, series.imaginary, series.fixedGammaMagnitude, Name(series.name)};
}

}  // namespace

plot::SweepChart SweepChartOf(const MeasuredSweep& sweep, const measuredtext::PlotSeries& series)
{
    const measured::Bench& bench = sweep.Bench();
    return {series.frequencyHz,
            series.plusDb,
            series.minusDb,
            series.errorDb,
            series.mismatchLossDb,
            series.throughPlusDb,
            series.throughMinusDb,
            series.throughErrorDb,
            Name(bench.source.name),
            Name(bench.load.name),
            Name(measuredtext::ChainName(bench)),
            series.sourceAboveOneHz,
            series.loadAboveOneHz};
}

plot::SmithChart SmithChartOf(const measuredtext::SmithSeries& load, const measuredtext::SmithSeries& sourceConjugate)
{
    return {TraceOf(load), TraceOf(sourceConjugate)};
}

ChartView::ChartView(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::Show(const MeasuredSweep* sweep, std::size_t cursorRow)
{
    sweep_ = sweep;
    cursorRow_ = cursorRow;
    drawing_ = QPixmap();
    update();
}

void ChartView::SetCursorRow(std::size_t row)
{
    if (row == cursorRow_)
        return;
    cursorRow_ = row;
    update();
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!sweep_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (drawing_.isNull() || drawing_.size() != size() * ratio) {
        drawing_ = QPixmap(size() * ratio);
        drawing_.setDevicePixelRatio(ratio);
        QPainter onDrawing(&drawing_);
        onDrawing.scale(Scale(), Scale());
        Draw(onDrawing, (QSizeF(size()) / Scale()).toSize());
    }
    painter.drawPixmap(0, 0, drawing_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.scale(Scale(), Scale());
    PaintCursor(painter);
    painter.restore();
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void ChartView::mousePressEvent(QMouseEvent* event)
{
    if (sweep_ && event->button() == Qt::LeftButton)
        emit RowPicked(RowAt(event->position() / Scale()));
}

void ChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (sweep_ && (event->buttons() & Qt::LeftButton))
        emit RowPicked(RowAt(event->position() / Scale()));
}

void ChartView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            emit CursorKey(event->key());
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void SweepChartView::Draw(QPainter& painter, QSize size)
{
    // The series live while the chart draws; the picture is what stays.
    const measuredtext::PlotSeries series = sweep_->Series();
    frame_ = plot::DrawSweepChart(painter, size, SweepChartOf(*sweep_, series));
}

void SweepChartView::mousePressEvent(QMouseEvent* event)
{
    if (sweep_ && event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)) {
        bandDrag_.emplace(event->position().x() / Scale(), event->position().x() / Scale());
        return;
    }
    ChartView::mousePressEvent(event);
}

void SweepChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (!bandDrag_)
        return ChartView::mouseMoveEvent(event);
    bandDrag_->second = event->position().x() / Scale();
    update();
}

void SweepChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!bandDrag_ || event->button() != Qt::LeftButton)
        return ChartView::mouseReleaseEvent(event);
    const auto [from, to] = std::minmax(bandDrag_->first, bandDrag_->second);
    bandDrag_.reset();
    update();
    // A click with Shift is no band.
    if (to - from >= 3) {
        const QTransform toData = frame_.toPixels.inverted();
        emit BandPicked(toData.map(QPointF(from, 0)).x(), toData.map(QPointF(to, 0)).x());
    }
}

void SweepChartView::PaintCursor(QPainter& painter) const
{
    if (bandDrag_) {
        const auto [from, to] = std::minmax(bandDrag_->first, bandDrag_->second);
        QColor shade = plot::palette::kCursor;
        shade.setAlpha(40);
        painter.fillRect(QRectF(from, frame_.area.top(), to - from, frame_.area.height()), shade);
    }
    const double hz = sweep_->FrequencyAt(cursorRow_);
    const qreal x = frame_.toPixels.map(QPointF(hz, 0.0)).x();
    painter.setPen(QPen(plot::palette::kCursor, 2));
    painter.drawLine(QPointF(x, frame_.area.top()), QPointF(x, frame_.area.bottom()));
    // The frequency above the area, kept inside the widget at either end.
    painter.setFont(plot::Font(13, true));
    const QString text = plot::FrequencyText(hz);
    const qreal half = painter.fontMetrics().horizontalAdvance(text) / 2.0 + 2;
    const qreal middle = std::clamp(x, half, width() / Scale() - half);
    painter.drawText(QRectF(middle - half, frame_.area.top() - 22, 2 * half, 20), Qt::AlignCenter, text);
}

std::size_t SweepChartView::RowAt(QPointF position) const
{
    return sweep_->RowNear(frame_.toPixels.inverted().map(position).x());
}

void SmithChartView::Draw(QPainter& painter, QSize size)
{
    const measuredtext::SmithSeries load = sweep_->LoadPoints();
    const measuredtext::SmithSeries sourceConjugate = sweep_->SourceConjugatePoints();
    plane_ = plot::DrawSmithChart(painter, size, SmithChartOf(load, sourceConjugate));
}

void SmithChartView::PaintCursor(QPainter& painter) const
{
    painter.setPen(QPen(plot::palette::kCursor, 2));
    painter.setBrush(Qt::NoBrush);
    for (const auto& gamma : {sweep_->LoadAt(cursorRow_), sweep_->SourceConjugateAt(cursorRow_)}) {
        if (!gamma)
            continue;
        const QPointF at(plane_.centre.x() + plane_.radius * gamma->real(),
                         plane_.centre.y() - plane_.radius * gamma->imag());
        painter.drawEllipse(at, 7, 7);
        painter.drawLine(at - QPointF(12, 0), at - QPointF(7, 0));
        painter.drawLine(at + QPointF(12, 0), at + QPointF(7, 0));
    }
}

std::size_t SmithChartView::RowAt(QPointF position) const
{
    const QPointF offset = (position - plane_.centre) / plane_.radius;
    return sweep_->RowNearestOnSmith({offset.x(), -offset.y()});
}

}  // namespace corvalen::sweepwindow
