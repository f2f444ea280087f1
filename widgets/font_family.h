// SPDX-License-Identifier: MIT
#pragma once

namespace corvalen {

// Metric-compatible with Arial and installed by scripts/install-deps, so every
// machine lays out the same text in the same width; the plots use it too.
inline constexpr char kFontFamily[] = "Liberation Sans";

}  // namespace corvalen
