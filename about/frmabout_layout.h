// SPDX-License-Identifier: MIT
#pragma once

// The About window's layout, in twips (see layout_units.h).

#include "widgets/layout_units.h"

#include <QColor>

#include <array>
#include <string_view>

namespace corvalen::layout {

inline constexpr std::string_view kAboutCaption = "About";
inline constexpr int kAboutClientWidthTwips = 5655;
inline constexpr int kAboutClientHeightTwips = 3105;

inline constexpr FontStyle kTitleFont{12.0, true, true};

// In tab order; only cmdOK takes the focus.
inline constexpr std::array<ControlLayout, 5> kAboutControls{{
    {"cmdOK",          {2160, 2625, 1260, 345}, "OK"},
    {"picIcon",        {240, 240, 540, 540},    ""},
    {"lblVersion",     {1050, 960, 3885, 225},  "Version"},
    {"lblTitle",       {1050, 240, 4245, 600},  "Corvalen", kTitleFont},
    {"lblDescription", {840, 1560, 4245, 645},
     "Works out the mismatch between an RF source and its load from their VSWRs: "
     "return losses, gammas, mismatch loss and the mismatch uncertainty."},
}};

consteval const ControlLayout& AboutControl(std::string_view name)
{
    return Find(kAboutControls, name);
}

inline constexpr QColor kIconBackground{192, 192, 192};

// The etched rule above the OK button: a grey line with a white one under it.
struct RuleLine {
    TwipLine line;
    QColor colour;
    int widthTwips;
};

inline constexpr std::array<RuleLine, 2> kAboutRule{{
    {{225, 2430, 5450, 2430}, QColor(128, 128, 128), 15},  // Line1(1), 1 pixel at 96 dpi
    {{240, 2445, 5450, 2445}, QColor(255, 255, 255), 30},  // Line1(0), 2 pixels at 96 dpi
}};

}  // namespace corvalen::layout
