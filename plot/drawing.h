// SPDX-License-Identifier: MIT
#pragma once

// What the sweep plot and the Smith chart share: starting Qt without a display,
// writing the picture safely, fonts, frequency texts, thinned paths and the legend.

#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QSize>
#include <QString>

#include <cstddef>
#include <functional>
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

// Builds a path from points in order; a break (a point with no finite value)
// ends the line, and the next point starts a new one.
class Polyline {
public:
    void Add(QPointF point);
    void Break() { open_ = false; }
    const QPainterPath& Path() const { return path_; }

private:
    QPainterPath path_;
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

// Everything an entry point does around its drawing: starts a display-less Qt
// if the process has none, draws onto an SVG or PNG written
// through QSaveFile (so a failure leaves nothing at `path`), keeps Qt's notes
// off stderr and restores the caller's message handler however it ends.
// Returns 0, or 1 with the reason copied into `reason`.
int DrawToFile(const char* path, QSize size, const QString& title, const std::function<void(QPainter&)>& draw,
               char* reason, std::size_t reasonSize);

// Copies the text into the caller's buffer, cut to reasonSize - 1 bytes.
void Report(char* reason, std::size_t reasonSize, const QString& text);

}  // namespace corvalen::plot
