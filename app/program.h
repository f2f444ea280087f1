// SPDX-License-Identifier: MIT
#pragma once

// What both windows share: the font face and the program icon.

#include "layout_units.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace corvalen {

// Metric-compatible with Arial and installed by scripts/install-deps, so every
// machine lays out the same text in the same width.
inline constexpr char kFontFamily[] = "Liberation Sans";

QFont ProgramFont(const layout::FontStyle& style);

// The 32 x 32 pixel program icon.
QPixmap ProgramPixmap();
QIcon ProgramIcon();

}  // namespace corvalen
