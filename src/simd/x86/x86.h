// Shared ground of the x86 kernel files (`*_ssse3.cpp`, `*_avx2.cpp`,
// `*_avx512.cpp`); nothing else includes it. Each kernel carries its
// instruction set as a function target rather than the file carrying it as
// a compiler flag: a whole-file flag would also compile every inline helper
// the file shares with others (the standard library's included) for the
// wider set, and the linker may keep that copy for baseline callers.
// Helpers here are always inlined and carry their own target.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define ORVEX_X86 1
#include <immintrin.h>

#define ORVEX_TARGET_SSSE3 __attribute__((target("ssse3")))
#define ORVEX_TARGET_AVX2 __attribute__((target("avx2")))
#define ORVEX_TARGET_AVX512 __attribute__((target("avx2,avx512f,avx512bw")))
// With byte permutes (VBMI), a feature of its own.
#define ORVEX_TARGET_AVX512_VBMI __attribute__((target("avx2,avx512f,avx512bw,avx512vbmi")))
// A call would pass wide vectors under the baseline ABI.
#define ORVEX_VECTOR_INLINE inline __attribute__((always_inline))

// GCC 12's AVX-512 headers fill the unused source of unmasked operations
// from a self-initialised variable, which -Wmaybe-uninitialized reports;
// AVX-512 kernel files wrap their kernels in these.
#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_AVX512_HEADERS_BEGIN \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wmaybe-uninitialized\"")
#define ORVEX_AVX512_HEADERS_END _Pragma("GCC diagnostic pop")
#else
#define ORVEX_AVX512_HEADERS_BEGIN
#define ORVEX_AVX512_HEADERS_END
#endif
#endif
