// SPDX-License-Identifier: MIT
#pragma once

// Memory for arrays that may grow large, such as a file's values across frequency.

#include <cstddef>

namespace corvalen::platform {

// Memory from operator new, so that what one large read or sweep frees the
// next one takes again, already backed: memory mapped afresh for each costs
// every call the clearing of its pages and, in a virtual machine whose host
// takes freed memory back, first touches that stalled a sweep for up to a
// quarter of a second. Where the system offers transparent huge pages, an
// array of at least a quarter of one is advised to be backed by them where it
// covers whole ones, and filled in with one call: the first touch of each
// small page costs a trap into the kernel, and one huge page stands for
// hundreds of them.
void* AllocateArray(std::size_t bytes);  // throws std::bad_alloc
// `bytes` as given to AllocateArray.
void FreeArray(void* memory, std::size_t bytes) noexcept;

// For a program whose threads keep what others allocated, such as a window
// that reads files on one thread and draws them on another: one heap for all
// its threads, where the C library would give each thread a heap of its own
// that keeps what was freed in it. First thing in main(); elsewhere nothing.
void ShareOneHeap();

}  // namespace corvalen::platform
