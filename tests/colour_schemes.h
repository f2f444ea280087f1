// SPDX-License-Identifier: MIT
#pragma once

// What the desktop suites need to judge a window in a colour scheme: the
// schemes a user picks, as data rows, the contrast between two colours and
// the pixels that stand out.

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QStyle>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

namespace corvalen::tests {

// WCAG contrast ratio between two colours (1 to 21).
inline double Contrast(QColor a, QColor b)
{
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixels of an area that stand out 4.5:1 from a colour, counted by sixth
// of the hue circle where they are coloured, else as -1 (black, white, greys).
inline std::map<int, int> Ink(const QImage& shot, QRect area, QColor against)
{
    std::map<int, int> ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (const QColor pixel = shot.pixelColor(x, y); Contrast(pixel, against) >= 4.5)
                ++ink[pixel.hsvSaturation() > 128 ? pixel.hsvHue() / 60 : -1];
    return ink;
}

// A "palette" column with the classic light face and qt6ct's "darker" scheme.
inline void AddColourSchemeRows()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("classic light face") << QApplication::style()->standardPalette();
    QPalette darker(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20));
    darker.setColor(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    QTest::newRow("dark face") << darker;
}

}  // namespace corvalen::tests
