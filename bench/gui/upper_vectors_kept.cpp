// SPDX-License-Identifier: MIT
// Linked into a benchmark build in place of the platform library's own
// definition (an object on the link line comes before an archive's), so that
// bench/sweep_window_vs_skrf.py can time the window without it in turns.

#include "platform/vector_state.h"

void corvalen::platform::ReleaseUpperVectors() noexcept {}
