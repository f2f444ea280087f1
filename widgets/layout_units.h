// SPDX-License-Identifier: MIT
#pragma once

// The windows' geometry is kept in twips, 1/1440 inch, as their layout tables
// give it, and converted at 15 twips a pixel into device-independent pixels;
// Qt scales those on high-DPI screens.

#include <QLine>
#include <QRect>

#include <stdexcept>
#include <string_view>

namespace corvalen::layout {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel; a few table entries (3012, 252) are not whole pixels.
constexpr int TwipsToPixels(int twips) noexcept
{
    return (2 * twips + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr QRect ToPixels(const TwipRect& r) noexcept
{
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height)};
}

struct TwipLine {
    int x1;
    int y1;
    int x2;
    int y2;
};

constexpr QLine ToPixels(const TwipLine& l) noexcept
{
    return {TwipsToPixels(l.x1), TwipsToPixels(l.y1), TwipsToPixels(l.x2), TwipsToPixels(l.y2)};
}

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
