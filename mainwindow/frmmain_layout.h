// SPDX-License-Identifier: MIT
#pragma once

// The main window's layout, in twips (see layout_units.h).

#include "widgets/layout_units.h"

#include <array>
#include <string_view>

namespace corvalen::layout {

inline constexpr std::string_view kMainCaption = "Corvalen";
inline constexpr int kMainClientWidthTwips = 7065;
inline constexpr int kMainClientHeightTwips = 4230;

inline constexpr FontStyle kReadoutFont{24.0, true};
inline constexpr FontStyle kHeadingFont{9.75, true};

// In tab order. The labels hold a place in it but never take the focus, so
// Tab walks hsVSWR1, hsVSWR2, cmdCopy, cmdQuit, cmdAbout.
inline constexpr std::array<ControlLayout, 19> kMainControls{{
    {"hsVSWR1",            {360, 960, 3015, 255},   ""},
    {"lblVSWR1",           {360, 360, 1815, 495},   "VSWR1", kReadoutFont},
    {"lblVSWR2",           {360, 2160, 1815, 495},  "VSWR2", kReadoutFont},
    {"hsVSWR2",            {360, 2760, 3015, 255},  ""},
    {"Label1",             {120, 120, 2295, 255},   "VSWR 1 (Source)", kHeadingFont},
    {"Label2",             {120, 1920, 2055, 255},  "VSWR 2 (Load)", kHeadingFont},
    {"Label3",             {3840, 120, 675, 240},   "Output", kHeadingFont},
    {"lblMaxVSWR",         {3960, 480, 2895, 255},  "Maximum VSWR ="},
    {"lblTotalReturnLoss", {3960, 840, 2895, 255},  "Total Return Loss ="},
    {"lblPlusMisMatch",    {3960, 2280, 2895, 255}, "Mismatch Plus ="},
    {"lblMinusMisMatch",   {3960, 2640, 2895, 255}, "Mismatch Minus ="},
    {"lblGamma1",          {3960, 1320, 2895, 255}, "Gamma 1 ="},
    {"lblGamma2",          {3960, 1680, 2895, 255}, "Gamma 2 ="},
    {"cmdCopy",            {240, 3600, 1935, 495},  "Copy To Clipboard"},
    {"cmdQuit",            {2400, 3600, 1215, 495}, "Quit"},
    {"cmdAbout",           {4800, 3600, 2175, 495}, "About Corvalen"},
    {"lblRL1",             {360, 1320, 3012, 252},  "lblRL1"},
    {"lblRL2",             {360, 3120, 3012, 252},  "lblRL2"},
    {"lblMismatchLoss",    {3960, 3000, 2895, 255}, "Mismatch Loss @ Load ="},
}};

consteval const ControlLayout& MainControl(std::string_view name)
{
    return Find(kMainControls, name);
}

struct ToolTipText {
    std::string_view control;
    std::string_view text;
};

inline constexpr std::array<ToolTipText, 3> kMainToolTips{{
    {"cmdCopy", "Copies the data to the clipboard"},
    {"cmdQuit", "Exit application"},
    {"cmdAbout", "About Corvalen"},
}};

consteval std::string_view MainToolTip(std::string_view control)
{
    for (const ToolTipText& tip : kMainToolTips) {
        if (tip.control == control)
            return tip.text;
    }
    throw std::logic_error("no tooltip for this control");
}

// In the window's text colour, one pixel wide at 96 dpi.
inline constexpr int kSeparatorWidthTwips = 15;
inline constexpr std::array<TwipLine, 4> kMainSeparators{{
    {3720, 120, 3720, 3360},  // Line1: between the input and output columns
    {3840, 1200, 6960, 1200}, // Line2: under maximum VSWR and combined return loss
    {3840, 2040, 6960, 2040}, // Line3: under the two gammas
    {120, 3480, 6960, 3480},  // Line4: above the buttons
}};

}  // namespace corvalen::layout
