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

std::atomic<int> capLevel{static_cast<int>(SimdLevel::Avx512)};

}  // namespace

SimdLevel ActiveSimdLevel() {
    static const SimdLevel detected = DetectedLevel();
    const int cap = capLevel.load(std::memory_order_relaxed);
    return static_cast<int>(detected) < cap ? detected : static_cast<SimdLevel>(cap);
}

void CapSimdLevel(SimdLevel cap) {
    capLevel.store(static_cast<int>(cap), std::memory_order_relaxed);
}

}  // namespace orvex
