// The AVX-512 build of the colour stage's loops: the same body, compiled
// for the widest set, and the byte curve fused with the matrix in
// registers, its segments' constants taken by two-table permutes instead of
// memory gathers.
#include "pack/colour_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
// GCC 12's AVX-512 headers fill the unused source of unmasked operations
// from a self-initialised variable, which -Wmaybe-uninitialized reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
namespace {

// Sixteen pixels' samples as single-precision values.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512 Load16(const uint16_t* p) {
    return _mm512_cvtepi32_ps(
        _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
}

// Matrix, clamp and byte curve of whole groups of sixteen pixels in
// registers, the portable loops' operations in their order; the rest of the
// chunk, and every other curve, by the portable loops.
ORVEX_TARGET_AVX512 void Chunk(const ColourValues& cv, const uint16_t* r, const uint16_t* g,
                               const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,
                               uint16_t* outB) {
    size_t k = 0;
    if (cv.curveBytes) {
        __m512 m[9], lo[3], hi[3];
        for (size_t i = 0; i < 9; ++i) m[i] = _mm512_set1_ps(cv.matrix[i]);
        for (size_t i = 0; i < 3; ++i) {
            lo[i] = _mm512_loadu_ps(cv.curve[i]);
            hi[i] = _mm512_loadu_ps(cv.curve[i] + 16);
        }
        const __m512 floor = _mm512_set1_ps(kCurveFloor), one = _mm512_set1_ps(1.0f);
        uint16_t* const out[3] = {outR, outG, outB};
        for (; k + 16 <= n; k += 16) {
            const __m512 x0 = Load16(r + k), x1 = Load16(g + k), x2 = Load16(b + k);
            for (size_t c = 0; c < 3; ++c) {
                const __m512 v = _mm512_add_ps(
                    _mm512_add_ps(_mm512_mul_ps(m[3 * c], x0), _mm512_mul_ps(m[3 * c + 1], x1)),
                    _mm512_mul_ps(m[3 * c + 2], x2));
                // Clamped to 0 .. 1, then raised to the curve's floor: the
                // first maximum changes nothing the second keeps.
                const __m512i u = _mm512_castps_si512(_mm512_max_ps(_mm512_min_ps(v, one), floor));
                const __m512i s = _mm512_srli_epi32(u, 22);  // the permutes read its low five bits
                // The mantissa with exponent 0: the and-or of the portable form.
                const __m512 mt = _mm512_getmant_ps(_mm512_castsi512_ps(u), _MM_MANT_NORM_1_2,
                                                    _MM_MANT_SIGN_src);
                const __m512 c0 = _mm512_permutex2var_ps(lo[0], s, hi[0]);
                const __m512 c1 = _mm512_permutex2var_ps(lo[1], s, hi[1]);
                const __m512 c2 = _mm512_permutex2var_ps(lo[2], s, hi[2]);
                const __m512 p =
                    _mm512_add_ps(_mm512_mul_ps(_mm512_add_ps(_mm512_mul_ps(c2, mt), c1), mt), c0);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[c] + k),
                                    _mm512_cvtepi32_epi16(_mm512_cvttps_epi32(p)));
            }
        }
    }
    if (k < n) ColourChunk(cv, r + k, g + k, b + k, n - k, outR + k, outG + k, outB + k);
}

}  // namespace

extern const ColourChunkFn kColourAvx512 = Chunk;

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
extern const ColourChunkFn kColourAvx512 = nullptr;
#endif

}  // namespace orvex
