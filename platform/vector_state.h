// SPDX-License-Identifier: MIT
#pragma once

// The state of the processor's vector registers that long arithmetic starts from.

namespace corvalen::platform {

// Marks the upper halves of the AVX registers unused, as code built for AVX
// does before it returns. Some libraries' AVX code does not: a fill of one of
// Qt's pictures leaves them in use on the thread that drew, and a thread
// started from it inherits them so. On recent Intel cores every plain SSE
// instruction after that (all of the engine's double arithmetic, the C
// library's log10 among it) waits on those halves: the window's sweep ran six
// times slower than the command line's. Call where long arithmetic starts. It
// changes no value; where there is no AVX, it does nothing.
void ReleaseUpperVectors() noexcept;

}  // namespace corvalen::platform
