// SPDX-License-Identifier: MIT
#include "plot/picture_file.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <png.h>

#include <algorithm>
#include <csetjmp>
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

void WriteBytes(png_structp png, png_bytep bytes, std::size_t length)
{
    auto* file = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (file->write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(length)) != static_cast<qint64>(length))
        png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

// A chart is flat colours and smooth edges: unfiltered rows at zlib's fastest
// level come out as small as Qt's own PNG writer makes them, in a fraction of
// the time. Only plain values live here, as libpng's errors jump back to setjmp.
bool WritePng(const QImage& image, QIODevice& file)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &file, WriteBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    // Format_RGB32 holds each pixel as the word 0xffRRGGBB: in memory B, G, R and a filler byte.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, image.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

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
    return WritePng(image, file);
}

}  // namespace

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
