// SPDX-License-Identifier: MIT
#pragma once

// What the sweep plot and the Smith chart share: fonts, frequency texts, traces
// and the legend.

#include "plot/palette.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <span>
#include <vector>

class QPainter;

namespace corvalen::plot {

QFont Font(int pixels, bool bold = false);

// The chart's title, bold, centred across `width` below its top edge: in a
// smaller face where the full size does not fit, and shortened in the middle
// only where even the smallest does not.
void DrawTitle(QPainter& painter, const QString& title, int width);

struct FrequencyUnit {
    double hertz;
    QString name;
};

// The largest of Hz, kHz, MHz and GHz that is not above the given frequency.
FrequencyUnit UnitFor(double hertz);

// "100 MHz", "2.45 GHz", "6 GHz".
QString FrequencyText(double hertz);

// A trace as it is drawn: runs of joined points. Where a value is missing the
// line stops, and the next point starts a new run.
class Polyline {
public:
    void Add(QPointF point);  // a repeat of the last point adds nothing
    void Break() { open_ = false; }
    std::size_t Points() const { return points_.size(); }
    // Strokes each run with the painter's pen; a run of one point is a dot.
    void Draw(QPainter& painter) const;
    // Calls take(from, to) for each segment of each run, and take(p, p) for a run of one point.
    template <typename Take>
    void ForEachSegment(Take take) const
    {
        for (std::size_t run = 0; run < runStarts_.size(); ++run) {
            const std::size_t end = run + 1 < runStarts_.size() ? runStarts_[run + 1] : points_.size();
            if (end - runStarts_[run] == 1)
                take(points_[runStarts_[run]], points_[runStarts_[run]]);
            for (std::size_t i = runStarts_[run] + 1; i < end; ++i)
                take(points_[i - 1], points_[i]);
        }
    }

private:
    std::vector<QPointF> points_;
    std::vector<std::size_t> runStarts_;
    bool open_ = false;
};

// Where a side's |G| is above 1, marked on both charts in palette::kAboveOne.
inline constexpr qreal kAboveOneRingRadius = 5.5;
// The pale fill behind the traces over such frequencies.
inline QColor AboveOneBandColor()
{
    QColor pale = palette::kAboveOne;
    pale.setAlpha(36);
    return pale;
}

// How an entry's sample looks: the trace's line, the line with a dot like the
// trace's end markers, a ring like the marks of points outside the unit circle,
// or a pale block with a strip like the bands over frequencies.
enum class LegendSample { Line, LineAndDot, Ring, Band };

// A sample in the legend in the entry's pen (none for a plain note), and its text.
struct LegendEntry {
    QPen pen;
    QString text;
    LegendSample sample = LegendSample::Line;
};

struct LegendRow {
    std::size_t first;
    std::size_t end;
    int width;
};

// Fills rows no wider than `width` with the entries in order, in the legend's
// font (set on the painter); an entry wider than a row alone is elided when drawn.
std::vector<LegendRow> LayOutLegend(QPainter& painter, std::span<const LegendEntry> entries, int width);
inline constexpr int kLegendRowHeight = 26;
// Draws the rows centred on `centreX`, the first row's middle at `topMiddleY`.
void DrawLegend(QPainter& painter, std::span<const LegendEntry> entries, const std::vector<LegendRow>& rows,
                int centreX, int topMiddleY, int width);

}  // namespace corvalen::plot
