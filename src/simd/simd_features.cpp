#include <cstdlib>
#include <cstring>

#include "simd/simd.h"

namespace orvex {
namespace {

SimdFeatures ProcessorFeatures() {
    SimdFeatures has;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    // The 512-bit kernels also run 256-bit instructions.
    const bool avx512 =
        avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    const struct {
        bool present;
        Isa feature;
    } kFound[] = {{__builtin_cpu_supports("sse2") != 0, Isa::Sse2},
                  {__builtin_cpu_supports("ssse3") != 0, Isa::Ssse3},
                  {avx2, Isa::Avx2},
                  {avx512, Isa::Avx512},
                  {avx512 && __builtin_cpu_supports("avx512vbmi"), Isa::Vbmi}};
    for (const auto& f : kFound)
        if (f.present) has = has | f.feature;
#elif defined(__aarch64__)
    has = Isa::Neon;
#endif
    return has;
}

// The cap anyone can set to run the portable loops on any machine.
SimdFeatures EnvironmentCap() {
    const char* value = std::getenv("ORVEX_SIMD");
    if (value != nullptr)
        for (const SimdCap& cap : kSimdCaps)
            if (std::strcmp(value, cap.name) == 0) return cap.allows;
    return {Isa::Sse2, Isa::Ssse3, Isa::Avx2, Isa::Avx512, Isa::Vbmi, Isa::Neon};
}

}  // namespace

SimdFeatures ProcessSimd() {
    static const SimdFeatures features = ProcessorFeatures() & EnvironmentCap();
    return features;
}

}  // namespace orvex
