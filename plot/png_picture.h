// SPDX-License-Identifier: MIT
#pragma once

// The plot module's PNG pictures: the memory their pixels are drawn in, and the file.

#include <QImage>
#include <QSize>

#include <cstddef>

class QIODevice;

namespace corvalen::plot {

// Pixels in huge pages where the system has them: the first touch of each small
// page traps into the kernel, and a chart's pixels span about a thousand of
// them, where one huge page takes 512 at once. Elsewhere the image holds its own.
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
    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    uchar* pixels_ = nullptr;
};

// Writes an RGB32 image as an 8-bit RGB PNG; false if libpng or the file failed.
bool WritePng(const QImage& image, QIODevice& file);

}  // namespace corvalen::plot
