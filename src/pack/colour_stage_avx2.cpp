// The AVX2 build of the colour stage's loops: the same body, compiled for
// the wider set so the compiler vectorises it, and the byte curve fused
// with the matrix in registers, its segments' constants chosen from
// registers by permutes and blends instead of memory gathers.
#include "pack/colour_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
namespace {

// Eight pixels' samples as single-precision values.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256 Load8(const uint16_t* p) {
    return _mm256_cvtepi32_ps(
        _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
}

// Entry s (0 .. 31) of a table held in four registers of eight: bits 0-2
// by the permutes, bits 3 and 4 by blends on the sign bits they are moved to.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256 Lookup32(const __m256 (&t)[4], __m256i s, __m256 bit3,
                                                      __m256 bit4) {
    const __m256 low = _mm256_blendv_ps(_mm256_permutevar8x32_ps(t[0], s),
                                        _mm256_permutevar8x32_ps(t[1], s), bit3);
    const __m256 high = _mm256_blendv_ps(_mm256_permutevar8x32_ps(t[2], s),
                                         _mm256_permutevar8x32_ps(t[3], s), bit3);
    return _mm256_blendv_ps(low, high, bit4);
}

// Whole groups of eight pixels through the byte curve in registers, the
// portable loops' operations in their order; the rest of the chunk, and
// every other curve, by the portable loops.
ORVEX_TARGET_AVX2 void Chunk(const ColourValues& cv, const uint16_t* r, const uint16_t* g,
                             const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,
                             uint16_t* outB) {
    size_t k = 0;
    if (cv.curveBytes) {
        __m256 m[9], table[3][4];
        for (size_t i = 0; i < 9; ++i) m[i] = _mm256_set1_ps(cv.matrix[i]);
        for (size_t i = 0; i < 3; ++i)
            for (size_t q = 0; q < 4; ++q) table[i][q] = _mm256_loadu_ps(cv.curve[i] + 8 * q);
        const __m256 floor = _mm256_set1_ps(kCurveFloor), one = _mm256_set1_ps(1.0f);
        const __m256i mantissa = _mm256_set1_epi32(0x007FFFFF),
                      exponent = _mm256_set1_epi32(0x3F800000);
        uint16_t* const out[3] = {outR, outG, outB};
        for (; k + 8 <= n; k += 8) {
            const __m256 x0 = Load8(r + k), x1 = Load8(g + k), x2 = Load8(b + k);
            for (size_t c = 0; c < 3; ++c) {
                const __m256 v = _mm256_add_ps(
                    _mm256_add_ps(_mm256_mul_ps(m[3 * c], x0), _mm256_mul_ps(m[3 * c + 1], x1)),
                    _mm256_mul_ps(m[3 * c + 2], x2));
                // Clamped to 0 .. 1, then raised to the curve's floor.
                const __m256i u = _mm256_castps_si256(_mm256_max_ps(_mm256_min_ps(v, one), floor));
                const __m256i s = _mm256_srli_epi32(u, 22);
                const __m256 bit3 = _mm256_castsi256_ps(_mm256_slli_epi32(s, 28));
                const __m256 bit4 = _mm256_castsi256_ps(_mm256_slli_epi32(s, 27));
                const __m256 mt =
                    _mm256_castsi256_ps(_mm256_or_si256(_mm256_and_si256(u, mantissa), exponent));
                const __m256 c0 = Lookup32(table[0], s, bit3, bit4);
                const __m256 c1 = Lookup32(table[1], s, bit3, bit4);
                const __m256 c2 = Lookup32(table[2], s, bit3, bit4);
                const __m256 p =
                    _mm256_add_ps(_mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(c2, mt), c1), mt), c0);
                const __m256i q = _mm256_cvttps_epi32(p);
                // Eight values of at most 255 to 16-bit samples.
                const __m128i narrow =
                    _mm_packus_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out[c] + k), narrow);
            }
        }
    }
    if (k < n) ColourChunk(cv, r + k, g + k, b + k, n - k, outR + k, outG + k, outB + k);
}

}  // namespace

extern const ColourChunkFn kColourAvx2 = Chunk;
ORVEX_COLOUR_FLOAT_SET(kColourFloatAvx2, ORVEX_TARGET_AVX2)
#else
extern const ColourChunkFn kColourAvx2 = nullptr;
extern const ColourFloatChunkFn kColourFloatAvx2 = nullptr;
#endif

}  // namespace orvex
