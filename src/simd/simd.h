// Vector instruction sets the row kernels may use. SSE2 is the baseline of
// every x86 target we build for (x86-64, and 32-bit Windows with -msse2);
// wider sets are compiled per function and picked at run time.
#pragma once

#include <atomic>

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define ORVEX_SIMD_X86 1
#include <immintrin.h>
#define ORVEX_TARGET_SSSE3 __attribute__((target("ssse3")))
#define ORVEX_TARGET_AVX2 __attribute__((target("avx2")))
// Vector helpers must inline into their kernels: a call would pass wide
// vectors under the baseline ABI.
#define ORVEX_VECTOR_INLINE inline __attribute__((always_inline))
#define ORVEX_TARGET_AVX512 __attribute__((target("avx2,avx512f,avx512bw")))
#endif

namespace orvex {

// Avx512 stands for the F and BW subsets (byte-masked stores).
enum class SimdLevel : int { None = 0, Sse2 = 1, Ssse3 = 2, Avx2 = 3, Avx512 = 4 };

namespace detail {
// The widest set both the processor and the cap allow; None until the
// library's static initialisation has looked at the processor.
extern std::atomic<int> activeSimdLevel;
}  // namespace detail

// The widest set both the processor and the cap allow. Kernels ask once per
// row, so this is one relaxed load.
inline SimdLevel ActiveSimdLevel() {
    return static_cast<SimdLevel>(detail::activeSimdLevel.load(std::memory_order_relaxed));
}

// Caps the sets the kernels use (tests run every kernel width on one machine).
void CapSimdLevel(SimdLevel cap);

}  // namespace orvex
