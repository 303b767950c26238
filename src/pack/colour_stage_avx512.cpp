// The AVX-512 build of the colour stage's loops: the same body, compiled
// for the widest set, with the byte curve's segment constants taken from
// registers by two-table permutes instead of memory gathers.
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

struct Avx512CurveBytes {
    static ORVEX_TARGET_AVX512 void Run(const ColourValues& cv, const float* v, size_t n,
                                        uint16_t* o) {
        __m512 lo[3], hi[3];
        for (size_t i = 0; i < 3; ++i) {
            lo[i] = _mm512_loadu_ps(cv.curve[i]);
            hi[i] = _mm512_loadu_ps(cv.curve[i] + 16);
        }
        const __m512 floor = _mm512_set1_ps(kCurveFloor);
        const __m512i mantissa = _mm512_set1_epi32(0x007FFFFF), one = _mm512_set1_epi32(0x3F800000);
        size_t k = 0;
        for (; k + 16 <= n; k += 16) {
            const __m512i u = _mm512_castps_si512(_mm512_max_ps(_mm512_loadu_ps(v + k), floor));
            const __m512i s = _mm512_srli_epi32(u, 22);  // the permutes read its low five bits
            const __m512 m =
                _mm512_castsi512_ps(_mm512_or_si512(_mm512_and_si512(u, mantissa), one));
            const __m512 c0 = _mm512_permutex2var_ps(lo[0], s, hi[0]);
            const __m512 c1 = _mm512_permutex2var_ps(lo[1], s, hi[1]);
            const __m512 c2 = _mm512_permutex2var_ps(lo[2], s, hi[2]);
            const __m512 p =
                _mm512_add_ps(_mm512_mul_ps(_mm512_add_ps(_mm512_mul_ps(c2, m), c1), m), c0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + k),
                                _mm512_cvtepi32_epi16(_mm512_cvttps_epi32(p)));
        }
        PlainCurveBytes::Run(cv, v + k, n - k, o + k);
    }
};

}  // namespace

ORVEX_COLOUR_SET(kColourAvx512, ORVEX_TARGET_AVX512, Avx512CurveBytes)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
extern const ColourChunkFn kColourAvx512 = nullptr;
#endif

}  // namespace orvex
