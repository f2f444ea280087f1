// SPDX-License-Identifier: MIT
#pragma once

// The values of a file across frequency, held in memory that large files take
// in huge pages where the system offers them.

#include "platform/memory.h"

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace corvalen::touchstone {

template <typename T>
struct SeriesAllocator {
    using value_type = T;
    // Huge pages and operator new alike give no more than this.
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

    SeriesAllocator() = default;
    template <typename U>
    SeriesAllocator(const SeriesAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(platform::AllocateArray(count * sizeof(T)));
    }

    void deallocate(T* memory, std::size_t count) noexcept { platform::FreeArray(memory, count * sizeof(T)); }

    friend bool operator==(const SeriesAllocator&, const SeriesAllocator&) { return true; }
};

template <typename T>
using Series = std::vector<T, SeriesAllocator<T>>;

}  // namespace corvalen::touchstone
