// SPDX-License-Identifier: MIT
#include "memory.h"

#include <cstdint>
#include <limits>
#include <new>

#if __has_include(<sys/mman.h>)
#include <fstream>

#include <sys/mman.h>
#define CORVALEN_MAPPED_ARRAYS 1
#endif

namespace corvalen::platform {
namespace {

#ifdef CORVALEN_MAPPED_ARRAYS

// The kernel's huge page size, or 0 where it has none to offer.
std::size_t ReadHugePageBytes()
{
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/hpage_pmd_size");
    std::size_t bytes = 0;
    // Only a power of two can serve as an alignment.
    return file >> bytes && bytes > 0 && (bytes & (bytes - 1)) == 0 ? bytes : 0;
}

// The size of the huge pages that an array of `bytes` is mapped in, or 0 for ordinary memory.
std::size_t HugePageBytesFor(std::size_t bytes)
{
    // Read once: the size is the hardware's, and an array must be freed the way it was allocated.
    static const std::size_t huge = ReadHugePageBytes();
    const bool mapped = huge != 0 && bytes >= huge / 4 && bytes <= std::numeric_limits<std::size_t>::max() / 2;
    return mapped ? huge : 0;
}

std::size_t Rounded(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}

void* Map(std::size_t bytes, std::size_t huge)
{
    // Mapped a huge page longer than needed, then cut to start on a boundary.
    const std::size_t length = Rounded(bytes, huge);
    void* const mapped = ::mmap(nullptr, length + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = Rounded(start, huge);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + huge - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* const memory = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(memory, length, MADV_HUGEPAGE);  // advice only: without huge pages the mapping still works
#endif
#ifdef MADV_POPULATE_WRITE
    // One call fills in what is asked for, in small pages where huge ones are
    // turned off: far less than a trap for each (older kernels ignore it).
    ::madvise(memory, bytes, MADV_POPULATE_WRITE);
#endif
    return memory;
}

#endif

}  // namespace

void* AllocateArray(std::size_t bytes)
{
#ifdef CORVALEN_MAPPED_ARRAYS
    if (const std::size_t huge = HugePageBytesFor(bytes))
        return Map(bytes, huge);
#endif
    return ::operator new(bytes);
}

void FreeArray(void* memory, [[maybe_unused]] std::size_t bytes) noexcept
{
#ifdef CORVALEN_MAPPED_ARRAYS
    if (const std::size_t huge = HugePageBytesFor(bytes)) {
        ::munmap(memory, Rounded(bytes, huge));
        return;
    }
#endif
    ::operator delete(memory);
}

}  // namespace corvalen::platform
