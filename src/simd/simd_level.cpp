#include <atomic>
#include <cstdlib>
#include <cstring>

#include "simd/simd.h"

namespace orvex {
namespace {

SimdLevel ProcessorLevel() {
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

// ORVEX_SIMD=scalar|sse2|ssse3|avx2|avx512 caps the sets for the whole
// process, so anyone can run the portable loops on any machine; other values
// keep the widest set.
SimdLevel EnvironmentCap() {
    static const struct {
        const char* name;
        SimdLevel level;
    } kNames[] = {{"scalar", SimdLevel::None},
                  {"sse2", SimdLevel::Sse2},
                  {"ssse3", SimdLevel::Ssse3},
                  {"avx2", SimdLevel::Avx2},
                  {"avx512", SimdLevel::Avx512}};
    const char* value = std::getenv("ORVEX_SIMD");
    if (value != nullptr)
        for (const auto& n : kNames)
            if (std::strcmp(value, n.name) == 0) return n.level;
    return SimdLevel::Avx512;
}

SimdLevel Narrower(SimdLevel a, SimdLevel b) {
    return a < b ? a : b;
}

const SimdLevel detectedLevel = Narrower(ProcessorLevel(), EnvironmentCap());

}  // namespace

std::atomic<int> detail::activeSimdLevel{static_cast<int>(detectedLevel)};

void CapSimdLevel(SimdLevel cap) {
    detail::activeSimdLevel.store(static_cast<int>(Narrower(detectedLevel, cap)),
                                  std::memory_order_relaxed);
}

}  // namespace orvex
