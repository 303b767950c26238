// AVX2 middle-site kernels of the zoom.
#include "methods/zoom/zoom_middle_sites.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/zoom/zoom_middle_sites_x86.h"

namespace orvex::zoom_x86 {
namespace {

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Load2(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// 8-bit sites with AVX2: a multiply-add of unsigned bytes by signed weights
// sums a lane's two bytes, so each site's terms are first gathered into one
// lane by a byte blend: colour 2 x heavy + light as (heavy, light) x (2, 1),
// light read one column early; green as (diag, heavy) x (1, 1) plus the
// other diagonal neighbour.
ORVEX_TARGET_AVX2 size_t Paired8Avx2(ORVEX_MIDDLE_SITES_ARGS) {
    const __m256i low = _mm256_set1_epi16(0x00FF), two = _mm256_set1_epi16(2);
    const __m256i third = _mm256_set1_epi16(0x5556);
    const __m256i colourWeights = _mm256_set1_epi16(0x0102),
                  greenWeights = _mm256_set1_epi16(0x0101);
    return WholeVectors<32>(c, end, [&](size_t c) ORVEX_TARGET_AVX2 {
        const __m256i h = Load2(heavy + c);
        const __m256i pairC = _mm256_blendv_epi8(Load2(light + c - 1), h, low);
        const __m256i pairG = _mm256_blendv_epi8(h, Load2(diag + c), low);
        const __m256i tc = _mm256_add_epi16(_mm256_maddubs_epi16(pairC, colourWeights), two);
        const __m256i tg =
            _mm256_add_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(pairG, greenWeights), two),
                             _mm256_and_si256(Load2(diag + c + 2), low));
        const __m256i qc = _mm256_mulhi_epu16(tc, third), qg = _mm256_mulhi_epu16(tg, third);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c),
                            _mm256_or_si256(qc, _mm256_slli_epi16(qg, 8)));
    });
}

// 16-bit sites with AVX2 in the same arrangement: a site's two terms share
// a 32-bit lane, and the multiply-add of signed words sums them. Samples
// are shifted into the signed range first (x ^ 0x8000 = x - 32768), and the
// shift comes back with the rounding terms when the sum is converted:
// 98304 + 2.5 for colour, 65536 + 2.5 for green, which yields exactly the
// t + 0.5 of the narrow kernel.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i LoadColumn(const uint8_t* row, size_t column) {
    return Load2(row + 2 * column);
}

// (sum + offset) / 3 in single precision, truncated.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i ThirdOf(__m256i sum, __m256 offset, __m256 third) {
    return _mm256_cvttps_epi32(
        _mm256_mul_ps(_mm256_add_ps(_mm256_cvtepi32_ps(sum), offset), third));
}

ORVEX_TARGET_AVX2 size_t Paired16Avx2(ORVEX_MIDDLE_SITES_ARGS) {
    const __m256i bias = _mm256_set1_epi16(int16_t(0x8000)), low = _mm256_set1_epi32(0xFFFF);
    const __m256i colourWeights = _mm256_set1_epi32(0x00010002),
                  greenWeights = _mm256_set1_epi32(0x00010001);
    const __m256 third = _mm256_set1_ps(1.0f / 3.0f);
    const __m256 colourOffset = _mm256_set1_ps(98306.5f), greenOffset = _mm256_set1_ps(65538.5f);
    return WholeVectors<16>(c, end, [&](size_t c) ORVEX_TARGET_AVX2 {
        const __m256i h = LoadColumn(heavy, c);
        const __m256i pairC =
            _mm256_xor_si256(_mm256_blend_epi16(h, LoadColumn(light, c - 1), 0xAA), bias);
        const __m256i pairG =
            _mm256_xor_si256(_mm256_blend_epi16(LoadColumn(diag, c), h, 0xAA), bias);
        const __m256i qc = ThirdOf(_mm256_madd_epi16(pairC, colourWeights), colourOffset, third);
        const __m256i tg = _mm256_add_epi32(_mm256_madd_epi16(pairG, greenWeights),
                                            _mm256_and_si256(LoadColumn(diag, c + 2), low));
        const __m256i qg = ThirdOf(tg, greenOffset, third);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * c),
                            _mm256_or_si256(qc, _mm256_slli_epi32(qg, 16)));
    });
}

}  // namespace
}  // namespace orvex::zoom_x86

namespace orvex {
extern const ZoomMiddleSet kZoomMiddleAvx2 = {zoom_x86::Paired8Avx2, zoom_x86::Paired16Avx2};
}  // namespace orvex
#else
namespace orvex {
extern const ZoomMiddleSet kZoomMiddleAvx2 = {};
}  // namespace orvex
#endif
