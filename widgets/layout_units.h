// SPDX-License-Identifier: MIT
#pragma once

// The windows' geometry is kept in twips, 1/1440 inch, as their layout tables
// give it, and converted into pixels at the widget's logical DPI, the DPI its
// point-sized fonts are drawn at: positions, sizes, lines and fonts scale
// together. At 96 dpi a pixel is 15 twips.

#include <QLine>
#include <QRect>

#include <stdexcept>
#include <string_view>

namespace corvalen::layout {

inline constexpr int kTwipsPerInch = 1440;

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct TwipLine {
    int x1;
    int y1;
    int x2;
    int y2;
};

// Twips to pixels at one logical DPI.
class PixelScale {
public:
    explicit constexpr PixelScale(int logicalDpi) noexcept
        : logicalDpi_(logicalDpi)
    {
    }

    // Rounds to the nearest pixel, halves up; a few table entries (3012, 252)
    // are not whole pixels even at 96 dpi.
    constexpr int Pixels(int twips) const noexcept
    {
        return (2 * twips * logicalDpi_ + kTwipsPerInch) / (2 * kTwipsPerInch);
    }

    constexpr QRect Pixels(const TwipRect& r) const noexcept
    {
        return {Pixels(r.left), Pixels(r.top), Pixels(r.width), Pixels(r.height)};
    }

    constexpr QLine Pixels(const TwipLine& l) const noexcept
    {
        return {Pixels(l.x1), Pixels(l.y1), Pixels(l.x2), Pixels(l.y2)};
    }

private:
    int logicalDpi_;
};

struct FontStyle {
    double pointSize;
    bool bold = false;
    bool italic = false;
};

// Controls without a font of their own use the window's: 8 pt, the size of
// the classic dialog font.
inline constexpr FontStyle kWindowFont{8.0};

struct ControlLayout {
    std::string_view name;
    TwipRect rect;
    std::string_view text;  // initial text; output labels start with a placeholder
    FontStyle font = kWindowFont;
};

// Finds a control's row at compile time, so a misspelt name does not build.
template <typename Table>
consteval const ControlLayout& Find(const Table& table, std::string_view name)
{
    for (const ControlLayout& row : table) {
        if (row.name == name)
            return row;
    }
    throw std::logic_error("no such control in the layout table");
}

}  // namespace corvalen::layout
