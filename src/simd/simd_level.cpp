#include <cstdlib>
#include <cstring>

#include "simd/simd.h"

namespace orvex {
namespace {

SimdLevel ProcessorLevel() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
    if (__builtin_cpu_supports("ssse3")) return SimdLevel::Ssse3;
    if (__builtin_cpu_supports("sse2")) return SimdLevel::Sse2;
#elif defined(__aarch64__)
    return SimdLevel::Neon;
#endif
    return SimdLevel::None;
}

// The cap anyone can set to run the portable loops on any machine.
SimdLevel EnvironmentCap() {
    static const struct {
        const char* name;
        SimdLevel level;
    } kNames[] = {{"scalar", SimdLevel::None},   {"sse2", SimdLevel::Sse2},
                  {"ssse3", SimdLevel::Ssse3},   {"avx2", SimdLevel::Avx2},
                  {"avx512", SimdLevel::Avx512}, {"neon", SimdLevel::Neon}};
    const char* value = std::getenv("ORVEX_SIMD");
    if (value != nullptr)
        for (const auto& n : kNames)
            if (std::strcmp(value, n.name) == 0) return n.level;
    return SimdLevel::Neon;
}

}  // namespace

SimdLevel ProcessSimdLevel() {
    static const SimdLevel level = [] {
        const SimdLevel processor = ProcessorLevel(), cap = EnvironmentCap();
        return processor < cap ? processor : cap;
    }();
    return level;
}

bool ProcessorHasVbmi() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512vbmi") != 0;
    }();
    return has;
#else
    return false;
#endif
}

}  // namespace orvex
