// SPDX-License-Identifier: MIT
#pragma once

// The charts saved as files: the very pictures `corvalen-cli sweep --plot` and
// `--smith` write for the same inputs.

#include "bench_result.h"

#include "plot/plot_module.h"

#include <string>

namespace corvalen::sweepwindow {

// Each returns an empty string when the file is written (its name ends in
// .png or .svg), else why it is not.
std::string SaveSweepPicture(const MeasuredSweep& sweep, const std::string& path);
std::string SaveSmithPicture(const MeasuredSweep& sweep, const std::string& path);

// The types a save dialog offers: SVG only where this build writes it.
inline constexpr const char* kPictureFilter =
    kCorvalenWritesSvg ? "PNG picture (*.png);;SVG drawing (*.svg)" : "PNG picture (*.png)";

}  // namespace corvalen::sweepwindow
