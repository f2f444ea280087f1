// SPDX-License-Identifier: MIT
#pragma once

// Memory for arrays that may grow large, such as a file's values across frequency.

#include <cstddef>

namespace corvalen::platform {

// Where the system offers transparent huge pages, an array of at least a
// quarter of one is mapped in whole huge pages from a huge page's boundary,
// advised to be backed by them, and filled in with one call: the first touch
// of each small page costs a trap into the kernel, and one huge page stands
// for hundreds of them. Elsewhere it is ordinary memory from operator new.
void* AllocateArray(std::size_t bytes);  // throws std::bad_alloc
// `bytes` as given to AllocateArray.
void FreeArray(void* memory, std::size_t bytes) noexcept;

}  // namespace corvalen::platform
