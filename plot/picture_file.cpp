// SPDX-License-Identifier: MIT
#include "plot/picture_file.h"

#include "fonts/program_fonts.h"
#include "plot/plot_module.h"
#include "plot/png_picture.h"
#include "widgets/font_family.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#if CORVALEN_WRITES_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>
#include <exception>
#include <functional>
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
        if (QGuiApplication::instance())
            return;
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
        // The built-in faces only where the system lacks them (Windows): the
        // system's own are already read, and adding them again costs time.
        if (!QFontDatabase::hasFamily(QString::fromLatin1(kFontFamily)))
            RegisterProgramFonts();
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
#if CORVALEN_WRITES_SVG
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
#else
    Q_UNUSED(title);
    Q_UNUSED(svg);
#endif
    PixelMemory memory(size);
    QImage image = memory.Image();
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return WritePng(image, file);
}

// Everything around a drawing: the application, the quiet handler, the file
// written through QSaveFile, so that a failure leaves nothing at `path`.
// Returns why the file is not written, or an empty text.
QString DrawToFile(const std::string& path, QSize size, const QString& title, const std::function<void(QPainter&)>& draw)
{
    try {
        // Declared first so that it is restored last, after the application's own notes on closing.
        const QuietMessages quiet;
        const QString fileName = QString::fromStdString(path);
        const bool svg = fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
        if (svg && !kCorvalenWritesSvg)
            return QString::fromLatin1(kCorvalenPngOnly);
        const OffscreenApplication application;
        QSaveFile file(fileName);
        bool written = file.open(QIODevice::WriteOnly) && Render(file, size, title, svg, draw);
        QString failure = file.errorString();
        written = written && file.commit();
        if (written)
            return {};
        return failure.isEmpty() ? file.errorString() : failure;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("drawing failed");
    }
}

// A trace has either points, each with both parts of G, or a fixed |G| from 0 to 1.
bool Drawable(const SmithTrace& trace)
{
    if (trace.frequencyHz.empty())
        return trace.fixedGammaMagnitude >= 0.0 && trace.fixedGammaMagnitude <= 1.0;
    return trace.real.size() == trace.frequencyHz.size() && trace.imaginary.size() == trace.frequencyHz.size();
}

}  // namespace

std::string WritePicture(const SweepChart& chart, const std::string& path)
{
    const std::size_t points = chart.frequencyHz.size();
    if (points == 0 || chart.plusDb.size() != points || chart.minusDb.size() != points
        || chart.mismatchLossDb.size() != points)
        return "nothing to draw";
    return DrawToFile(path, kSweepChartSize, QStringLiteral("Mismatch across frequency"),
                      [&chart](QPainter& painter) { DrawSweepChart(painter, kSweepChartSize, chart); })
        .toStdString();
}

std::string WritePicture(const SmithChart& chart, const std::string& path)
{
    if (!Drawable(chart.load) || !Drawable(chart.sourceConjugate))
        return "nothing to draw";
    return DrawToFile(path, kSmithChartSize, QStringLiteral("Conjugate match on the Smith chart"),
                      [&chart](QPainter& painter) { DrawSmithChart(painter, kSmithChartSize, chart); })
        .toStdString();
}

}  // namespace corvalen::plot
