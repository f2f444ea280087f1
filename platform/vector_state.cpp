// SPDX-License-Identifier: MIT
#include "platform/vector_state.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace corvalen::platform {
namespace {

// Built for AVX on its own, so that nothing else here is; never inlined into code that is not.
__attribute__((target("avx"))) void ZeroUpperHalves() noexcept
{
    _mm256_zeroupper();
}

}  // namespace

void ReleaseUpperVectors() noexcept
{
    if (__builtin_cpu_supports("avx"))
        ZeroUpperHalves();
}

}  // namespace corvalen::platform
#else
namespace corvalen::platform {

void ReleaseUpperVectors() noexcept {}

}  // namespace corvalen::platform
#endif
