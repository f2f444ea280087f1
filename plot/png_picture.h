// SPDX-License-Identifier: MIT
#pragma once

// The plot module's PNG pictures: the memory their pixels are drawn in, and the file.

#include <QImage>
#include <QSize>

#include <cstddef>

class QIODevice;

namespace corvalen::plot {

// Pixels in the memory the system gives large arrays (huge pages where it has
// them): a chart's pixels span about a thousand small pages, each trapping into
// the kernel at its first touch.
class PixelMemory {
public:
    explicit PixelMemory(QSize size);
    ~PixelMemory();
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    // An RGB32 image of the size, in this memory while it lives.
    QImage Image() const;

private:
    QSize size_;
    std::size_t bytes_;
    uchar* pixels_;
};

// Writes an RGB32 image as an 8-bit RGB PNG; false if libpng or the file failed.
bool WritePng(const QImage& image, QIODevice& file);

}  // namespace corvalen::plot
