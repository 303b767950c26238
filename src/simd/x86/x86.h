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
// A call would pass wide vectors under the baseline ABI.
#define ORVEX_VECTOR_INLINE inline __attribute__((always_inline))
#endif
