// AVX-512 middle-site kernels of the zoom.
#include "methods/zoom/zoom_middle_sites.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/zoom/zoom_middle_sites_x86.h"

namespace orvex::zoom_x86 {
namespace {

ORVEX_AVX512_HEADERS_BEGIN

// The AVX2 kernels at twice the width; byte and word masks replace the
// blends, and a zero-masking load keeps the even samples of the right
// diagonal neighbour.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i Load4(const uint8_t* p) {
    return _mm512_loadu_si512(p);
}

ORVEX_TARGET_AVX512 size_t Paired8Avx512(ORVEX_MIDDLE_SITES_ARGS) {
    constexpr __mmask64 kLowBytes = 0x5555555555555555ull;
    const __m512i two = _mm512_set1_epi16(2), third = _mm512_set1_epi16(0x5556);
    const __m512i colourWeights = _mm512_set1_epi16(0x0102),
                  greenWeights = _mm512_set1_epi16(0x0101);
    return WholeVectors<64>(c, end, [&](size_t c) ORVEX_TARGET_AVX512 {
        const __m512i h = Load4(heavy + c);
        const __m512i pairC = _mm512_mask_blend_epi8(kLowBytes, Load4(light + c - 1), h);
        const __m512i pairG = _mm512_mask_blend_epi8(kLowBytes, h, Load4(diag + c));
        const __m512i tc = _mm512_add_epi16(_mm512_maddubs_epi16(pairC, colourWeights), two);
        const __m512i tg =
            _mm512_add_epi16(_mm512_add_epi16(_mm512_maddubs_epi16(pairG, greenWeights), two),
                             _mm512_maskz_loadu_epi8(kLowBytes, diag + c + 2));
        const __m512i qc = _mm512_mulhi_epu16(tc, third), qg = _mm512_mulhi_epu16(tg, third);
        _mm512_storeu_si512(out + c, _mm512_or_si512(qc, _mm512_slli_epi16(qg, 8)));
    });
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512i ThirdOf4(__m512i sum, __m512 offset, __m512 third) {
    return _mm512_cvttps_epi32(
        _mm512_mul_ps(_mm512_add_ps(_mm512_cvtepi32_ps(sum), offset), third));
}

ORVEX_TARGET_AVX512 size_t Paired16Avx512(ORVEX_MIDDLE_SITES_ARGS) {
    constexpr __mmask32 kHighWords = 0xAAAAAAAAu, kLowWords = 0x55555555u;
    const __m512i bias = _mm512_set1_epi16(int16_t(0x8000));
    const __m512i colourWeights = _mm512_set1_epi32(0x00010002),
                  greenWeights = _mm512_set1_epi32(0x00010001);
    const __m512 third = _mm512_set1_ps(1.0f / 3.0f);
    const __m512 colourOffset = _mm512_set1_ps(98306.5f), greenOffset = _mm512_set1_ps(65538.5f);
    return WholeVectors<32>(c, end, [&](size_t c) ORVEX_TARGET_AVX512 {
        const __m512i h = Load4(heavy + 2 * c);
        const __m512i pairC = _mm512_xor_si512(
            _mm512_mask_blend_epi16(kHighWords, h, Load4(light + 2 * (c - 1))), bias);
        const __m512i pairG =
            _mm512_xor_si512(_mm512_mask_blend_epi16(kHighWords, Load4(diag + 2 * c), h), bias);
        const __m512i qc = ThirdOf4(_mm512_madd_epi16(pairC, colourWeights), colourOffset, third);
        const __m512i tg =
            _mm512_add_epi32(_mm512_madd_epi16(pairG, greenWeights),
                             _mm512_maskz_loadu_epi16(kLowWords, diag + 2 * (c + 2)));
        const __m512i qg = ThirdOf4(tg, greenOffset, third);
        _mm512_storeu_si512(out + 2 * c, _mm512_or_si512(qc, _mm512_slli_epi32(qg, 16)));
    });
}

ORVEX_AVX512_HEADERS_END

}  // namespace
}  // namespace orvex::zoom_x86

namespace orvex {
extern const ZoomMiddleSet kZoomMiddleAvx512 = {zoom_x86::Paired8Avx512, zoom_x86::Paired16Avx512};
}  // namespace orvex
#else
namespace orvex {
extern const ZoomMiddleSet kZoomMiddleAvx512 = {};
}  // namespace orvex
#endif
