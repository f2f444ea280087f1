// SPDX-License-Identifier: MIT
#pragma once

// The two charts on screen: each drawing is made once per size into a pixmap,
// and the frequency cursor is painted over it, so a cursor step repaints a
// picture rather than redrawing every trace.

#include "bench_result.h"
#include "plot/smith_chart.h"
#include "plot/sweep_chart.h"

#include <QPixmap>
#include <QWidget>

#include <cstddef>
#include <optional>
#include <utility>

namespace corvalen::sweepwindow {

// What both charts share: the sweep shown, the cursor's row, the cached drawing,
// and the keys that move the cursor.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent);
    // The sweep must outlive the view, or be replaced before it goes.
    void Show(const MeasuredSweep* sweep, std::size_t cursorRow);
    void SetCursorRow(std::size_t row);

signals:
    void RowPicked(std::size_t row);
    void CursorKey(int key);
    // A band dragged across the plot with Shift held, in either direction.
    void BandPicked(double fromHz, double toHz);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The charts' texts and lines are sized in pixels at 96 dpi: at a larger
    // logical DPI they are drawn on a smaller canvas, scaled up to the widget as
    // the window's own texts grow. Drawing, cursor and mouse share that canvas.
    qreal Scale() const { return logicalDpiY() / 96.0; }
    // The drawing at the canvas's size, remembering where its data went.
    virtual void Draw(QPainter& painter, QSize size) = 0;
    virtual void PaintCursor(QPainter& painter) const = 0;
    virtual std::size_t RowAt(QPointF position) const = 0;

    const MeasuredSweep* sweep_ = nullptr;
    std::size_t cursorRow_ = 0;

private:
    QPixmap drawing_;
};

class SweepChartView final : public ChartView {
    Q_OBJECT
public:
    using ChartView::ChartView;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Draw(QPainter& painter, QSize size) override;
    void PaintCursor(QPainter& painter) const override;
    std::size_t RowAt(QPointF position) const override;

    plot::SweepChartFrame frame_;
    std::optional<std::pair<qreal, qreal>> bandDrag_;  // from and to, in the canvas's pixels
};

class SmithChartView final : public ChartView {
    Q_OBJECT
public:
    using ChartView::ChartView;

private:
    void Draw(QPainter& painter, QSize size) override;
    void PaintCursor(QPainter& painter) const override;
    std::size_t RowAt(QPointF position) const override;

    plot::SmithChartPlane plane_{};
};

// The sweep's traces as the drawings take them, pointing into what is given.
plot::SweepChart SweepChartOf(const MeasuredSweep& sweep, const measuredtext::PlotSeries& series);
plot::SmithChart SmithChartOf(const measuredtext::SmithSeries& load, const measuredtext::SmithSeries& sourceConjugate);

}  // namespace corvalen::sweepwindow
