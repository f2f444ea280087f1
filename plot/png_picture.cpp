// SPDX-License-Identifier: MIT
#include "plot/png_picture.h"

#include <QIODevice>
#include <QImageWriter>

#if CORVALEN_HAVE_LIBPNG
#include <png.h>
#endif

#include "platform/memory.h"

#include <bit>
#include <csetjmp>

namespace corvalen::plot {

namespace {

constexpr int kBytesPerPixel = 4;

#if CORVALEN_HAVE_LIBPNG

void WriteBytes(png_structp png, png_bytep bytes, std::size_t length)
{
    auto* file = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (file->write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(length)) != static_cast<qint64>(length))
        png_error(png, "write failed");
}

void FlushNothing(png_structp) {}
#endif

}  // namespace

PixelMemory::PixelMemory(QSize size)
    : size_(size)
    , bytes_(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()) * kBytesPerPixel)
    , pixels_(static_cast<uchar*>(platform::AllocateArray(bytes_)))
{
}

PixelMemory::~PixelMemory()
{
    platform::FreeArray(pixels_, bytes_);
}

QImage PixelMemory::Image() const
{
    return QImage(pixels_, size_.width(), size_.height(), qsizetype{size_.width()} * kBytesPerPixel,
                  QImage::Format_RGB32);
}

#if CORVALEN_HAVE_LIBPNG
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
    // An RGB32 pixel is the word 0xffRRGGBB, whose bytes lie in memory in the machine's order.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, image.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
#else
// Where there is no libpng (Debian has none for Windows): Qt's own writer, at
// its fastest level as above.
bool WritePng(const QImage& image, QIODevice& file)
{
    QImageWriter writer(&file, "png");
    writer.setCompression(11);  // Qt's 0 to 100, which it maps to zlib's level 1
    return writer.write(image);
}
#endif

}  // namespace corvalen::plot
