// Blocks of 16 floats of a row in AVX-512 registers, for the residual-
// interpolation demosaic's kernels along a row (ri_line_blocks_avx512.h,
// ri_green_blocks_avx512.h, ri_colour_blocks_avx512.h): aligned loads and stores, a site's
// neighbours by shifts between a block and the ones either side, and the clip.
#pragma once

#include <cstddef>

#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

// The AVX-512 kernel files' warning wrap, with the uninitialised use GCC 12
// also reports of the unused sources its headers fill.
#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_RI_BLOCKS_BEGIN \
    ORVEX_AVX512_HEADERS_BEGIN _Pragma("GCC diagnostic ignored \"-Wuninitialized\"")
#else
#define ORVEX_RI_BLOCKS_BEGIN ORVEX_AVX512_HEADERS_BEGIN
#endif
#define ORVEX_RI_BLOCKS_END ORVEX_AVX512_HEADERS_END

ORVEX_RI_BLOCKS_BEGIN

using RiV = __m512;

// The lanes of a block of window columns (a block starts on an even column)
// whose parity is p.
inline constexpr __mmask16 RiColumnLanes(size_t p) {
    return p ? 0xAAAA : 0x5555;
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiLoad(const float* p) {
    return _mm512_load_ps(p);
}
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void RiStore(float* p, RiV v) {
    _mm512_store_ps(p, v);
}

// Three consecutive blocks of an array around the one at x: the values at
// x + k for k in -16 .. 16, by a shift of two of them. Before a row's first
// block `before` holds zeros, which only sites outside a pass's range read.
struct RiBlocks {
    RiV before, here, after;
    template <int K>
    ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV At() const {
        static_assert(K >= -16 && K <= 16, "within the blocks either side");
        if constexpr (K == 0)
            return here;
        else if constexpr (K == -16)
            return before;
        else if constexpr (K == 16)
            return after;
        else if constexpr (K < 0)
            return _mm512_castsi512_ps(_mm512_alignr_epi32(_mm512_castps_si512(here),
                                                           _mm512_castps_si512(before), 16 + K));
        else
            return _mm512_castsi512_ps(
                _mm512_alignr_epi32(_mm512_castps_si512(after), _mm512_castps_si512(here), K));
    }
};

// RiClip's selects: the maximum and minimum instructions return their
// second operand unless the first is greater (less), as the selects do.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiClipV(RiV v, RiV limit) {
    return _mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), limit);
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
