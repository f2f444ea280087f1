// SPDX-License-Identifier: MIT
#pragma once

// The values of a file across frequency, held in memory that large files take
// in huge pages where the system offers them.

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace corvalen::touchstone {

// Memory of at least a quarter of a huge page is mapped in whole huge pages,
// starting on a huge page's boundary, and advised to be backed by huge pages:
// the first touch of a 4 KiB page costs a trap into the kernel, which in a
// virtual machine took a quarter of reading a two-port file, and a huge page
// takes 512 of them at once. Where the system has no huge pages the mapping
// stays in small ones, filled in with one call.
void* MapLarge(std::size_t bytes);  // throws std::bad_alloc
void UnmapLarge(void* memory, std::size_t bytes);
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
constexpr std::size_t kLargeBytes = kHugePageBytes / 4;

template <typename T>
struct SeriesAllocator {
    using value_type = T;

    SeriesAllocator() = default;
    template <typename U>
    SeriesAllocator(const SeriesAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = count * sizeof(T);
        return static_cast<T*>(bytes >= kLargeBytes ? MapLarge(bytes) : ::operator new(bytes));
    }

    void deallocate(T* memory, std::size_t count) noexcept
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes >= kLargeBytes)
            UnmapLarge(memory, bytes);
        else
            ::operator delete(memory);
    }

    friend bool operator==(const SeriesAllocator&, const SeriesAllocator&) { return true; }
};

template <typename T>
using Series = std::vector<T, SeriesAllocator<T>>;

}  // namespace corvalen::touchstone
