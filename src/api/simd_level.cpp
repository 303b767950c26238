#include <atomic>

#include "api/simd.h"

namespace orvex {
namespace {

SimdLevel DetectedLevel() {
#if defined(ORVEX_SIMD_X86)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
    if (__builtin_cpu_supports("ssse3")) return SimdLevel::Ssse3;
    return SimdLevel::Sse2;
#else
    return SimdLevel::None;
#endif
}

const SimdLevel detectedLevel = DetectedLevel();

}  // namespace

std::atomic<int> detail::activeSimdLevel{static_cast<int>(detectedLevel)};

void CapSimdLevel(SimdLevel cap) {
    const SimdLevel active = detectedLevel < cap ? detectedLevel : cap;
    detail::activeSimdLevel.store(static_cast<int>(active), std::memory_order_relaxed);
}

}  // namespace orvex
