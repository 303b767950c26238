// 16-bit lanes throughout: the truncated mean of two samples is their
// rounded-up average minus the odd bit of their sum, the limit an unsigned
// minimum (a - saturating(a - m) on SSSE3), and the low byte is kept before
// the unsigned-saturating pack, which then cannot saturate.
#include "cubic/recombine_vector_rows.h"

#include "simd/pixel_interleave.h"
#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
namespace {

template <bool kRedFirst>
ORVEX_TARGET_SSSE3 size_t RowSsse3(uint8_t* out, const uint16_t* r, const uint16_t* gr,
                                   const uint16_t* gb, const uint16_t* b, size_t x, size_t width,
                                   uint16_t maxValue) {
    const __m128i limit = _mm_set1_epi16(static_cast<short>(maxValue));
    const __m128i low = _mm_set1_epi16(0x00FF), one = _mm_set1_epi16(1);
    auto load = [](const uint16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    auto byte = [&](__m128i v) {
        return _mm_and_si128(_mm_sub_epi16(v, _mm_subs_epu16(v, limit)), low);
    };
    auto green = [&](const uint16_t* p, const uint16_t* q) {
        const __m128i a = load(p), c = load(q);
        return byte(_mm_sub_epi16(_mm_avg_epu16(a, c), _mm_and_si128(_mm_xor_si128(a, c), one)));
    };
    for (; x + 16 <= width; x += 16) {
        const size_t col = x - 1;
        const __m128i vr = _mm_packus_epi16(byte(load(r + col)), byte(load(r + col + 8)));
        const __m128i vb = _mm_packus_epi16(byte(load(b + col)), byte(load(b + col + 8)));
        const __m128i vg =
            _mm_packus_epi16(green(gr + col, gb + col), green(gr + col + 8, gb + col + 8));
        if (kRedFirst)
            simd::Interleave3Ssse3<1>(out + 3 * x, vr, vg, vb);
        else
            simd::Interleave3Ssse3<1>(out + 3 * x, vb, vg, vr);
    }
    return x;
}

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Load16(const uint16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Limited low bytes of 16 samples, still in 16-bit lanes.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Bytes(__m256i v, __m256i limit) {
    return _mm256_and_si256(_mm256_min_epu16(v, limit), _mm256_set1_epi16(0x00FF));
}

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i GreenBytes(const uint16_t* p, const uint16_t* q,
                                                         __m256i limit) {
    const __m256i a = Load16(p), c = Load16(q);
    const __m256i odd = _mm256_and_si256(_mm256_xor_si256(a, c), _mm256_set1_epi16(1));
    return Bytes(_mm256_sub_epi16(_mm256_avg_epu16(a, c), odd), limit);
}

// The pack works within 128-bit halves; the quadword permute restores order.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Pack(__m256i lo, __m256i hi) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

template <bool kRedFirst>
ORVEX_TARGET_AVX2 size_t RowAvx2(uint8_t* out, const uint16_t* r, const uint16_t* gr,
                                 const uint16_t* gb, const uint16_t* b, size_t x, size_t width,
                                 uint16_t maxValue) {
    const __m256i limit = _mm256_set1_epi16(static_cast<short>(maxValue));
    for (; x + 32 <= width; x += 32) {
        const size_t col = x - 1;
        const __m256i vr = Pack(Bytes(Load16(r + col), limit), Bytes(Load16(r + col + 16), limit));
        const __m256i vb = Pack(Bytes(Load16(b + col), limit), Bytes(Load16(b + col + 16), limit));
        const __m256i vg = Pack(GreenBytes(gr + col, gb + col, limit),
                                GreenBytes(gr + col + 16, gb + col + 16, limit));
        if (kRedFirst)
            simd::Interleave3Avx2<1>(out + 3 * x, vr, vg, vb);
        else
            simd::Interleave3Avx2<1>(out + 3 * x, vb, vg, vr);
    }
    return x;
}

}  // namespace
#endif

size_t RecombineVectorRow8(uint8_t* out, const uint16_t* r, const uint16_t* gr, const uint16_t* gb,
                           const uint16_t* b, size_t first, size_t width, uint32_t maxValue,
                           bool redFirst) {
#if defined(ORVEX_SIMD_X86)
    const SimdLevel level = ActiveSimdLevel();
    const auto m = static_cast<uint16_t>(maxValue > 65535 ? 65535 : maxValue);
    if (level >= SimdLevel::Avx2)
        first = (redFirst ? RowAvx2<true> : RowAvx2<false>)(out, r, gr, gb, b, first, width, m);
    if (level >= SimdLevel::Ssse3)
        first = (redFirst ? RowSsse3<true> : RowSsse3<false>)(out, r, gr, gb, b, first, width, m);
#else
    (void)out, (void)r, (void)gr, (void)gb, (void)b, (void)width, (void)maxValue, (void)redFirst;
#endif
    return first;
}

}  // namespace orvex
