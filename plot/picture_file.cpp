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
        const bool svg = QString::fromUtf8(path).endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
        if (svg && !kCorvalenWritesSvg) {
            Report(reason, reasonSize, QString::fromLatin1(kCorvalenPngOnly));
            return 1;
        }
        QString failure;
        {
            const OffscreenApplication application;
            const QString fileName = QString::fromUtf8(path);
            QSaveFile file(fileName);
            bool written = file.open(QIODevice::WriteOnly)
                           && Render(file, size, title, svg, draw);
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
