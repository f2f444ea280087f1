// SPDX-License-Identifier: MIT
#include "plot/drawing.h"

#include "measuredtext/frequency_units.h"
#include "widgets/font_family.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace corvalen::plot {

namespace {

constexpr int kSampleWidth = 32;
constexpr int kSampleGap = 8;
constexpr int kEntryGap = 28;

// QPainter's raster engine fills a stroke's outline against all of its edges at
// once, so a long line costs far more per point than the same points in short pieces.
constexpr std::size_t kPieceSegments = 16;

void DrawDot(QPainter& painter, QPointF at)
{
    const QPen pen = painter.pen();
    const qreal radius = std::max<qreal>(2.5, pen.widthF() * 1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    painter.drawEllipse(at, radius, radius);
    painter.setBrush(Qt::NoBrush);
}

// Segments with square caps, handed to the painter a piece at a time. Drawn
// separately, the caps at a joint cover all that a round join fills, and at a
// sharp corner a few tenths of a pixel more; the stroker then makes no joins,
// which cost it several times as much as the segments themselves.
class Segments {
public:
    explicit Segments(QPainter& painter) : painter_(painter)
    {
        QPen pen = painter.pen();
        pen.setStyle(Qt::SolidLine);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
    }
    ~Segments() { Flush(); }
    Segments(const Segments&) = delete;
    Segments& operator=(const Segments&) = delete;

    void Add(QPointF from, QPointF to)
    {
        piece_[count_++] = QLineF(from, to);
        if (count_ == piece_.size())
            Flush();
    }

private:
    void Flush()
    {
        if (count_ > 0)
            painter_.drawLines(piece_.data(), static_cast<int>(count_));
        count_ = 0;
    }

    QPainter& painter_;
    std::array<QLineF, kPieceSegments> piece_;
    std::size_t count_ = 0;
};

// A run measured along its length, to draw the parts of it between two distances.
class Along {
public:
    explicit Along(std::span<const QPointF> run) : run_(run), distance_(run.size(), 0.0)
    {
        for (std::size_t i = 1; i < run.size(); ++i)
            distance_[i] = distance_[i - 1] + QLineF(run[i - 1], run[i]).length();
    }
    qreal Length() const { return distance_.back(); }

    // The part from `from` to `to` (ascending from one call to the next); a part
    // of no length is a sliver in the run's direction, so that its caps have one.
    void AddPart(qreal from, qreal to, Segments& segments)
    {
        while (segment_ + 2 < run_.size() && distance_[segment_ + 1] <= from)
            ++segment_;
        QPointF start = At(from);
        for (std::size_t i = segment_ + 1; i + 1 < run_.size() && distance_[i] < to; ++i) {
            segments.Add(start, run_[i]);
            start = run_[i];
        }
        const QPointF end = to > from ? At(to) : At(from + 1e-3);
        segments.Add(start, end);
    }

private:
    QPointF At(qreal distance) const
    {
        std::size_t i = segment_;
        while (i + 2 < run_.size() && distance_[i + 1] < distance)
            ++i;
        const qreal length = distance_[i + 1] - distance_[i];
        return run_[i] + (run_[i + 1] - run_[i]) * ((distance - distance_[i]) / length);
    }

    std::span<const QPointF> run_;
    std::vector<qreal> distance_;
    std::size_t segment_ = 0;
};

void DrawSolid(QPainter& painter, std::span<const QPointF> run)
{
    Segments segments(painter);
    for (std::size_t i = 1; i < run.size(); ++i)
        segments.Add(run[i - 1], run[i]);
}

// The pen's dash pattern laid along the run by hand: each dash is square-capped
// segments pulled in by half a pen width at both ends, so that the caps end it
// where the pen's flat caps would.
void DrawDashed(QPainter& painter, std::span<const QPointF> run)
{
    const QPen pen = painter.pen();
    const qreal width = std::max<qreal>(pen.widthF(), 1.0);
    const QList<qreal> pattern = pen.dashPattern();
    if (pattern.isEmpty())
        return;
    Along along(run);
    Segments segments(painter);
    qreal start = -pen.dashOffset() * width;
    for (qsizetype k = 0; start < along.Length(); k = (k + 1) % pattern.size()) {
        const qreal end = start + std::max<qreal>(pattern[k], 0.01) * width;
        if (k % 2 == 0 && end > 0) {
            const qreal from = std::max<qreal>(start, 0.0);
            const qreal to = std::min(end, along.Length());
            const qreal middle = (from + to) / 2;
            along.AddPart(std::min(from + width / 2, middle), std::max(to - width / 2, middle), segments);
        }
        start = end;
    }
}

void DrawRun(QPainter& painter, std::span<const QPointF> run)
{
    const QPen original = painter.pen();
    const QPaintEngine* engine = painter.paintEngine();
    if (run.size() == 1)
        DrawDot(painter, run.front());
    else if (engine && engine->type() != QPaintEngine::Raster)  // a vector file: its reader strokes the line
        painter.drawPolyline(run.data(), static_cast<int>(run.size()));
    else if (original.style() == Qt::SolidLine)
        DrawSolid(painter, run);
    else
        DrawDashed(painter, run);
    painter.setPen(original);
}

// The sample of a legend entry, centred in `box`.
void DrawSample(QPainter& painter, const LegendEntry& entry, const QRect& box)
{
    const QColor color = entry.pen.color();
    const QPointF centre = QRectF(box).center();
    QPen pen = entry.pen;
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (entry.sample) {
    case LegendSample::Line:
    case LegendSample::LineAndDot:
        painter.drawLine(QPointF(box.left(), centre.y()), QPointF(box.left() + box.width(), centre.y()));
        break;
    case LegendSample::Ring:
        painter.drawEllipse(centre, kAboveOneRingRadius, kAboveOneRingRadius);
        break;
    case LegendSample::Band:
        painter.fillRect(box, AboveOneBandColor());
        painter.fillRect(QRect(box.left(), box.bottom() - 3, box.width(), 4), color);
        break;
    }
    if (entry.sample == LegendSample::LineAndDot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(centre, 4.0, 4.0);
        painter.setBrush(Qt::NoBrush);
    }
}

int EntryWidth(const QFontMetrics& metrics, const LegendEntry& entry)
{
    return (entry.pen.style() == Qt::NoPen ? 0 : kSampleWidth + kSampleGap) + metrics.horizontalAdvance(entry.text);
}

}  // namespace

QFont Font(int pixels, bool bold)
{
    QFont font(QString::fromLatin1(corvalen::kFontFamily));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void DrawTitle(QPainter& painter, const QString& title, int width)
{
    constexpr int kLargestPixels = 19;
    constexpr int kSmallestPixels = 14;
    const int room = width - 40;
    int pixels = kLargestPixels;
    painter.setFont(Font(pixels, true));
    while (pixels > kSmallestPixels && painter.fontMetrics().horizontalAdvance(title) > room)
        painter.setFont(Font(--pixels, true));
    painter.setPen(palette::kText);
    painter.drawText(QRect(0, 14, width, 30), Qt::AlignHCenter,
                     painter.fontMetrics().elidedText(title, Qt::ElideMiddle, room));
}

FrequencyUnit UnitFor(double hertz)
{
    const measuredtext::FrequencyUnit& unit = measuredtext::UnitFor(hertz);
    return {unit.hertz, QString::fromLatin1(unit.name.data(), static_cast<qsizetype>(unit.name.size()))};
}

QString FrequencyText(double hertz)
{
    const FrequencyUnit unit = UnitFor(hertz);
    return QStringLiteral("%1 %2").arg(QString::number(hertz / unit.hertz, 'g', 6), unit.name);
}

void Polyline::Add(QPointF point)
{
    if (open_ && point == points_.back())
        return;
    if (!open_)
        runStarts_.push_back(points_.size());
    points_.push_back(point);
    open_ = true;
}

void Polyline::Draw(QPainter& painter) const
{
    for (std::size_t run = 0; run < runStarts_.size(); ++run) {
        const std::size_t end = run + 1 < runStarts_.size() ? runStarts_[run + 1] : points_.size();
        DrawRun(painter, std::span(points_).subspan(runStarts_[run], end - runStarts_[run]));
    }
}

std::vector<LegendRow> LayOutLegend(QPainter& painter, std::span<const LegendEntry> entries, int width)
{
    painter.setFont(Font(14));
    const QFontMetrics metrics = painter.fontMetrics();
    std::vector<LegendRow> rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int entryWidth = std::min(width, EntryWidth(metrics, entries[i]));
        if (!rows.empty() && rows.back().width + kEntryGap + entryWidth <= width) {
            rows.back().end = i + 1;
            rows.back().width += kEntryGap + entryWidth;
        } else {
            rows.push_back({i, i + 1, entryWidth});
        }
    }
    return rows;
}

void DrawLegend(QPainter& painter, std::span<const LegendEntry> entries, const std::vector<LegendRow>& rows,
                int centreX, int topMiddleY, int width)
{
    painter.save();
    painter.setFont(Font(14));
    const QFontMetrics metrics = painter.fontMetrics();
    int middle = topMiddleY;
    for (const LegendRow& row : rows) {
        int left = centreX - row.width / 2;
        for (std::size_t i = row.first; i < row.end; ++i) {
            const LegendEntry& entry = entries[i];
            if (entry.pen.style() != Qt::NoPen) {
                DrawSample(painter, entry, QRect(left, middle - 7, kSampleWidth, 14));
                left += kSampleWidth + kSampleGap;
            }
            // Only an entry wider than the whole legend is shortened: the rows were laid out to fit the others.
            const int full = metrics.horizontalAdvance(entry.text);
            const int room = std::min(full, std::max(0, centreX - row.width / 2 + width - left));
            const QString text = room < full ? metrics.elidedText(entry.text, Qt::ElideMiddle, room) : entry.text;
            painter.setPen(palette::kText);
            painter.drawText(QRect(left, middle - 11, full + 2, 22), Qt::AlignLeft | Qt::AlignVCenter, text);
            left += metrics.horizontalAdvance(text) + kEntryGap;
        }
        middle += kLegendRowHeight;
    }
    painter.restore();
}

}  // namespace corvalen::plot
