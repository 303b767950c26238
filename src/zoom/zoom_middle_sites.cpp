// Columns are taken in pairs, one pair per lane twice the sample width: the
// low half of a lane is the pair's colour site, the high half the green site
// to its right. Each half reads only the terms of its own site kind
// (colour: 2 x heavy + light, green: diagonal left + heavy + diagonal
// right), so no lane computes a value it throws away and the loop has no
// branch. Pairs start at the row's colour columns, even or odd, so one
// kernel serves both phases and each vector reads four row vectors: heavy,
// which holds a green site's own column too, light one column early, and
// the diagonal row at the pair's column and two on. The division by 3 is a
// multiply by its reciprocal, exact in the range of the sums: 8-bit sums stay
// below 32768, where the high half of t x 0x5556 is t / 3; 16-bit sums are
// exact in single precision, and (t + 0.5) / 3 lies at least 1/6 from an
// integer, far beyond the rounding error of one multiply.
#include "zoom/zoom_middle_sites.h"

#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
namespace {

ORVEX_VECTOR_INLINE __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Load2(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Lane operations of one sample width and vector width.
struct Ops8 {  // 8-bit samples in 16-bit lanes, 16 columns
    using V = __m128i;
    static constexpr size_t kColumns = 16, kBytes = 1;
    static V Load(const uint8_t* p) { return orvex::Load(p); }
    static V Even(V v) { return _mm_and_si128(v, _mm_set1_epi16(0x00FF)); }
    static V Odd(V v) { return _mm_srli_epi16(v, 8); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sum(V a, V b, V c) { return Add(Add(a, b), Add(c, _mm_set1_epi16(2))); }
    static V Third(V t) { return _mm_mulhi_epu16(t, _mm_set1_epi16(0x5556)); }
    static V Join(V even, V odd) { return _mm_or_si128(even, _mm_slli_epi16(odd, 8)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

struct Ops16 {  // 16-bit samples in 32-bit lanes, 8 columns
    using V = __m128i;
    static constexpr size_t kColumns = 8, kBytes = 2;
    static V Load(const uint8_t* p) { return orvex::Load(p); }
    static V Even(V v) { return _mm_and_si128(v, _mm_set1_epi32(0xFFFF)); }
    static V Odd(V v) { return _mm_srli_epi32(v, 16); }
    static V Add(V a, V b) { return _mm_add_epi32(a, b); }
    static V Sum(V a, V b, V c) { return Add(Add(a, b), Add(c, _mm_set1_epi32(2))); }
    static V Third(V t) {
        const __m128 q =
            _mm_mul_ps(_mm_add_ps(_mm_cvtepi32_ps(t), _mm_set1_ps(0.5f)), _mm_set1_ps(1.0f / 3.0f));
        return _mm_cvttps_epi32(q);
    }
    static V Join(V even, V odd) { return _mm_or_si128(even, _mm_slli_epi32(odd, 16)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

#define ORVEX_MIDDLE_SITES_ARGS                                                              \
    uint8_t *out, const uint8_t *heavy, const uint8_t *light, const uint8_t *diag, size_t c, \
        size_t end

// The pair at column c + 2j: colour from heavy and light at c + 2j, green
// from heavy at c + 2j + 1 and diag at c + 2j and c + 2j + 2. The loads
// reach one column past the last pair, which the bound keeps inside the run.
template <class O>
size_t MiddleSites(ORVEX_MIDDLE_SITES_ARGS) {
    using V = typename O::V;
    constexpr size_t kB = O::kBytes, kStep = O::kColumns;
    for (; c + kStep + 1 <= end; c += kStep) {
        const V h = O::Load(heavy + kB * c), l = O::Load(light + kB * c);
        const V d0 = O::Load(diag + kB * c), d1 = O::Load(diag + kB * (c + 2));
        const V he = O::Even(h);
        const V colour = O::Third(O::Sum(he, he, O::Even(l)));
        const V green = O::Third(O::Sum(O::Even(d0), O::Odd(h), O::Even(d1)));
        O::Store(out + kB * c, O::Join(colour, green));
    }
    return c;
}

// Runs a kernel's step over whole vectors from column c, then, if any ran,
// one more vector ending at the run's end: it rewrites some columns with
// the values they already hold (the kernels read copied rows only),
// instead of leaving them to the site-by-site loop. Steps start at columns
// of c's parity and read one column past their vector.
template <size_t kColumns, class Step>
ORVEX_VECTOR_INLINE size_t WholeVectors(size_t c, size_t end, Step step) {
    if (c + kColumns + 1 > end) return c;
    for (; c + kColumns + 1 <= end; c += kColumns) step(c);
    const size_t bound = end - kColumns - 1, last = bound - ((bound ^ c) & 1);
    if (c < last + kColumns) {
        step(last);
        c = last + kColumns;
    }
    return c;
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

// GCC 12's AVX-512 headers fill the unused source of unmasked operations
// from a self-initialised variable, which -Wmaybe-uninitialized reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

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

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

using MiddleFn = size_t (*)(ORVEX_MIDDLE_SITES_ARGS);

template <class Narrow>
size_t Dispatch(MiddleFn widest, MiddleFn wide, ORVEX_MIDDLE_SITES_ARGS, SimdLevel cap) {
    const SimdLevel active = ActiveSimdLevel(), level = active < cap ? active : cap;
    if (level >= SimdLevel::Avx512) c = widest(out, heavy, light, diag, c, end);
    if (level >= SimdLevel::Avx2) c = wide(out, heavy, light, diag, c, end);
    if (level >= SimdLevel::Sse2 && c + Narrow::kColumns + 1 <= end)
        c = MiddleSites<Narrow>(out, heavy, light, diag, c, end);
    return c;
}

}  // namespace
#endif

size_t ZoomMiddleSites8(uint8_t* out, const uint8_t* heavy, const uint8_t* light,
                        const uint8_t* diag, size_t first, size_t end, SimdLevel widest) {
#if defined(ORVEX_SIMD_X86)
    return Dispatch<Ops8>(Paired8Avx512, Paired8Avx2, out, heavy, light, diag, first, end, widest);
#else
    (void)out, (void)heavy, (void)light, (void)diag, (void)end, (void)widest;
    return first;
#endif
}

size_t ZoomMiddleSites16(uint8_t* out, const uint8_t* heavy, const uint8_t* light,
                         const uint8_t* diag, size_t first, size_t end, SimdLevel widest) {
#if defined(ORVEX_SIMD_X86)
    return Dispatch<Ops16>(Paired16Avx512, Paired16Avx2, out, heavy, light, diag, first, end,
                           widest);
#else
    (void)out, (void)heavy, (void)light, (void)diag, (void)end, (void)widest;
    return first;
#endif
}

}  // namespace orvex
