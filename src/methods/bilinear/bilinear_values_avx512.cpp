// AVX-512 kernels of the channel values of bilinear rows, for outputs the
// pack stage converts: every lane computes both kinds' means and keeps its
// own by column parity; 8-bit rows 32 pixels at a time in 16-bit lanes,
// 16-bit rows 16 at a time in 32-bit lanes.
#include "methods/bilinear/bilinear_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_AVX512_HEADERS_BEGIN
namespace {

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i Widen(const uint8_t* p) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i QuarterOf(__m512i a, __m512i b, __m512i c,
                                                          __m512i d) {
    const __m512i two = _mm512_set1_epi16(2);
    return _mm512_srli_epi16(
        _mm512_add_epi16(_mm512_add_epi16(_mm512_add_epi16(a, b), _mm512_add_epi16(c, d)), two), 2);
}

ORVEX_TARGET_AVX512 size_t Values(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                                  size_t n, bool colourFirst, bool red, uint16_t* r, uint16_t* g,
                                  uint16_t* b) {
    // Lanes of the colour sites: even lanes when x0 is one.
    const __mmask32 colour = colourFirst ? 0x55555555u : 0xAAAAAAAAu;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const size_t x = x0 + i;
        const __m512i left = Widen(c + x - 1), right = Widen(c + x + 1), centre = Widen(c + x);
        const __m512i up = Widen(u + x), down = Widen(d + x);
        const __m512i cross = QuarterOf(left, right, up, down);
        const __m512i diag =
            QuarterOf(Widen(u + x - 1), Widen(u + x + 1), Widen(d + x - 1), Widen(d + x + 1));
        // (a + b + 1) >> 1, as the rounding average gives it.
        const __m512i horiz = _mm512_avg_epu16(left, right), vert = _mm512_avg_epu16(up, down);
        // Colour sites: own, cross, diagonal; green sites: own, along the
        // row (the row's colour), down the column (the other colour).
        const __m512i own = _mm512_mask_blend_epi16(colour, horiz, centre);
        const __m512i other = _mm512_mask_blend_epi16(colour, vert, diag);
        _mm512_storeu_si512(r + i, red ? own : other);
        _mm512_storeu_si512(g + i, _mm512_mask_blend_epi16(colour, centre, cross));
        _mm512_storeu_si512(b + i, red ? other : own);
    }
    return i;
}

// 16-bit rows: sixteen pixels at a time in 32-bit lanes, where the sums of
// four samples of up to 16 bits fit.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i Widen16(const uint8_t* row, size_t x) {
    return _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * x)));
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i QuarterOf32(__m512i a, __m512i b, __m512i c,
                                                            __m512i d) {
    const __m512i two = _mm512_set1_epi32(2);
    return _mm512_srli_epi32(
        _mm512_add_epi32(_mm512_add_epi32(_mm512_add_epi32(a, b), _mm512_add_epi32(c, d)), two), 2);
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i HalfOf32(__m512i a, __m512i b) {
    return _mm512_srli_epi32(_mm512_add_epi32(_mm512_add_epi32(a, b), _mm512_set1_epi32(1)), 1);
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void Store16(uint16_t* out, __m512i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi32_epi16(v));
}

ORVEX_TARGET_AVX512 size_t Values16(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                                    size_t n, bool colourFirst, bool red, uint16_t* r, uint16_t* g,
                                    uint16_t* b) {
    const __mmask16 colour = colourFirst ? 0x5555u : 0xAAAAu;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const size_t x = x0 + i;
        const __m512i left = Widen16(c, x - 1), right = Widen16(c, x + 1), centre = Widen16(c, x);
        const __m512i up = Widen16(u, x), down = Widen16(d, x);
        const __m512i cross = QuarterOf32(left, right, up, down);
        const __m512i diag =
            QuarterOf32(Widen16(u, x - 1), Widen16(u, x + 1), Widen16(d, x - 1), Widen16(d, x + 1));
        const __m512i own = _mm512_mask_blend_epi32(colour, HalfOf32(left, right), centre);
        const __m512i other = _mm512_mask_blend_epi32(colour, HalfOf32(up, down), diag);
        Store16(r + i, red ? own : other);
        Store16(g + i, _mm512_mask_blend_epi32(colour, centre, cross));
        Store16(b + i, red ? other : own);
    }
    return i;
}

}  // namespace

extern const BilinearValuesFn kBilinearValuesAvx512[2] = {Values, Values16};
ORVEX_AVX512_HEADERS_END
#else
extern const BilinearValuesFn kBilinearValuesAvx512[2] = {nullptr, nullptr};
#endif

}  // namespace orvex
