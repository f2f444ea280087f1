// SPDX-License-Identifier: MIT
#pragma once

// What the sweep plot and the Smith chart share: fonts, frequency texts, traces
// and the legend.

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

private:
    std::vector<QPointF> points_;
    std::vector<std::size_t> runStarts_;
    bool open_ = false;
};

// A sample in the legend: a short line in the trace's pen (none for a plain
// note) and, when `marker` is set, a dot on it like the trace's end markers.
struct LegendEntry {
    QPen pen;
    QString text;
    bool marker = false;
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
