// SPDX-License-Identifier: MIT
#include "series.h"

#include <cstdint>

#include <sys/mman.h>

namespace corvalen::touchstone {
namespace {

constexpr std::size_t kSmallPageBytes = 4096;  // at least: a larger page only rounds further

std::size_t Rounded(std::size_t bytes)
{
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace

void* MapLarge(std::size_t bytes)
{
    // Mapped a huge page longer than needed, then cut to start on a boundary.
    const std::size_t length = Rounded(bytes);
    void* const mapped =
        ::mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePageBytes - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* const memory = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(memory, length, MADV_HUGEPAGE);  // advice only: without huge pages the mapping still works
#endif
#ifdef MADV_POPULATE_WRITE
    // Where there are no huge pages, one call to fill in what is asked for
    // costs far less than a trap for every small page (older kernels ignore it).
    ::madvise(memory, (bytes + kSmallPageBytes - 1) / kSmallPageBytes * kSmallPageBytes, MADV_POPULATE_WRITE);
#endif
    return memory;
}

void UnmapLarge(void* memory, std::size_t bytes)
{
    ::munmap(memory, Rounded(bytes));
}

}  // namespace corvalen::touchstone
