// SPDX-License-Identifier: MIT
#pragma once

// What both windows share: the font face, the program icon, and how a control
// is set up from its row of a layout table.

#include "font_family.h"
#include "layout_units.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <string_view>

class QLabel;
class QWidget;

namespace corvalen {

QFont ProgramFont(const layout::FontStyle& style);

// Makes the built-in Liberation Sans the face of every widget and dialog, at
// the system's size: on Windows, which lacks the face, too. Called once, after
// the QApplication is made.
void UseProgramFont();

// The 32 x 32 pixel program icon.
QPixmap ProgramPixmap();
QIcon ProgramIcon();

QString ToQString(std::string_view utf8);

// Twips to pixels at the widget's logical DPI (that of its screen), the DPI
// its fonts are drawn at.
layout::PixelScale LayoutScale(const QWidget& widget);

// Names, positions and gives its font to a control as its layout row says.
void Place(QWidget& control, const layout::ControlLayout& row);

// A plain-text label (texts such as "Return Loss > 70 dB" are never markup),
// placed by its row and showing the row's initial text.
QLabel* MakeLabel(QWidget* parent, const layout::ControlLayout& row);

}  // namespace corvalen
