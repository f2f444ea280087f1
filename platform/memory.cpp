// SPDX-License-Identifier: MIT
#include "memory.h"

#include <cstdint>
#include <new>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#if __has_include(<sys/mman.h>)
#include <fstream>

#include <sys/mman.h>
#define CORVALEN_ADVISED_ARRAYS 1
#endif

namespace corvalen::platform {
namespace {

#ifdef CORVALEN_ADVISED_ARRAYS

// The kernel's huge page size, or 0 where it has none to offer.
std::size_t ReadHugePageBytes()
{
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/hpage_pmd_size");
    std::size_t bytes = 0;
    // Only a power of two can serve as an alignment.
    return file >> bytes && bytes > 0 && (bytes & (bytes - 1)) == 0 ? bytes : 0;
}

constexpr std::uintptr_t kPageBytes = 4096;

std::uintptr_t Down(std::uintptr_t address, std::uintptr_t unit) { return address / unit * unit; }
std::uintptr_t Up(std::uintptr_t address, std::uintptr_t unit) { return Down(address + unit - 1, unit); }

void Advise(std::uintptr_t from, std::uintptr_t to, int advice)
{
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, advice);  // advice only: the memory works without it
}

#endif

}  // namespace

void* AllocateArray(std::size_t bytes)
{
    void* const memory = ::operator new(bytes);
#ifdef CORVALEN_ADVISED_ARRAYS
    // Read once: the size is the hardware's.
    static const std::size_t huge = ReadHugePageBytes();
    if (huge == 0 || bytes < huge / 4)
        return memory;
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t end = start + bytes;
#ifdef MADV_HUGEPAGE
    Advise(Up(start, huge), Down(end, huge), MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    // Memory that malloc hands out again is there already, and costs this
    // call next to nothing; new memory is filled in at once, not a trap per page.
    Advise(Down(start, kPageBytes), Up(end, kPageBytes), MADV_POPULATE_WRITE);
#endif
#endif
    return memory;
}

void FreeArray(void* memory, [[maybe_unused]] std::size_t bytes) noexcept
{
    ::operator delete(memory);
}

void ShareOneHeap()
{
#ifdef __GLIBC__
    ::mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace corvalen::platform
