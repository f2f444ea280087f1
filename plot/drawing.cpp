// SPDX-License-Identifier: MIT
#include "plot/drawing.h"

#include "widgets/font_family.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace corvalen::plot {

namespace {

// Qt's own notes (missing runtime folder and the like) are no business of a
// command-line user; real failures come back through the return value.
void Quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "corvalen-plot: %s\n", message.toLocal8Bit().constData());
}

// The caller's handler comes back on every way out, a throw from drawing included.
class QuietMessages {
public:
    QuietMessages() : previous_(qInstallMessageHandler(Quiet)) {}
    ~QuietMessages() { qInstallMessageHandler(previous_); }
    QuietMessages(const QuietMessages&) = delete;
    QuietMessages& operator=(const QuietMessages&) = delete;

private:
    QtMessageHandler previous_;
};

// No display is needed: the offscreen platform still gives fonts and painting.
// Qt keeps references to argc and argv for the application's life, so they live here.
class OffscreenApplication {
public:
    OffscreenApplication()
    {
        if (!QGuiApplication::instance())
            application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

private:
    char program_[13] = "corvalen-cli";
    char platformOption_[10] = "-platform";
    char platform_[10] = "offscreen";
    int argc_ = 3;
    char* argv_[4] = {program_, platformOption_, platform_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

// Draws onto an open file; false if the painter could not start or finish.
bool Render(QSaveFile& file, QSize size, const QString& title, bool svg, const std::function<void(QPainter&)>& draw)
{
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(title);
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        draw(painter);
        return painter.end();
    }
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return image.save(&file, "PNG");
}

constexpr int kSampleWidth = 32;
constexpr int kSampleGap = 8;
constexpr int kEntryGap = 28;

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

FrequencyUnit UnitFor(double hertz)
{
    if (hertz >= 1e9)
        return {1e9, QStringLiteral("GHz")};
    if (hertz >= 1e6)
        return {1e6, QStringLiteral("MHz")};
    if (hertz >= 1e3)
        return {1e3, QStringLiteral("kHz")};
    return {1.0, QStringLiteral("Hz")};
}

QString FrequencyText(double hertz)
{
    const FrequencyUnit unit = UnitFor(hertz);
    return QStringLiteral("%1 %2").arg(QString::number(hertz / unit.hertz, 'g', 6), unit.name);
}

void Polyline::Add(QPointF point)
{
    if (open_)
        path_.lineTo(point);
    else
        path_.moveTo(point);
    open_ = true;
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
                QPen sample = entry.pen;
                sample.setCapStyle(Qt::FlatCap);
                painter.setPen(sample);
                painter.drawLine(left, middle, left + kSampleWidth, middle);
                if (entry.marker) {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(entry.pen.color());
                    painter.drawEllipse(QPointF(left + kSampleWidth / 2.0, middle), 4.0, 4.0);
                    painter.setBrush(Qt::NoBrush);
                }
                left += kSampleWidth + kSampleGap;
            }
            // Only an entry wider than the whole legend is shortened: the rows were laid out to fit the others.
            const int full = metrics.horizontalAdvance(entry.text);
            const int room = std::min(full, std::max(0, centreX - row.width / 2 + width - left));
            const QString text = room < full ? metrics.elidedText(entry.text, Qt::ElideMiddle, room) : entry.text;
            painter.setPen(Qt::black);
            painter.drawText(QRect(left, middle - 11, full + 2, 22), Qt::AlignLeft | Qt::AlignVCenter, text);
            left += metrics.horizontalAdvance(text) + kEntryGap;
        }
        middle += kLegendRowHeight;
    }
    painter.restore();
}

void Report(char* reason, std::size_t reasonSize, const QString& text)
{
    if (reasonSize == 0)
        return;
    const QByteArray bytes = text.toUtf8();
    const std::size_t length = std::min(static_cast<std::size_t>(bytes.size()), reasonSize - 1);
    std::memcpy(reason, bytes.constData(), length);
    reason[length] = '\0';
}

int DrawToFile(const char* path, QSize size, const QString& title, const std::function<void(QPainter&)>& draw,
               char* reason, std::size_t reasonSize)
{
    try {
        // Declared first so that it is restored last, after the application's own notes on closing.
        const QuietMessages quiet;
        QString failure;
        {
            const OffscreenApplication application;
            const QString fileName = QString::fromUtf8(path);
            QSaveFile file(fileName);
            bool written = file.open(QIODevice::WriteOnly)
                           && Render(file, size, title, fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive),
                                     draw);
            failure = file.errorString();
            written = written && file.commit();
            if (written)
                return 0;
            if (failure.isEmpty())
                failure = file.errorString();
        }
        Report(reason, reasonSize, failure);
        return 1;
    } catch (const std::exception& error) {
        Report(reason, reasonSize, QString::fromUtf8(error.what()));
    } catch (...) {
        Report(reason, reasonSize, QStringLiteral("drawing failed"));
    }
    return 1;
}

}  // namespace corvalen::plot
