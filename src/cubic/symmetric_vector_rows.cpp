// 16 outputs per step. The multiply-add of signed words sums a x w0 + b x w1
// of one 32-bit lane, so the terms are paired by unpacking: (a, b) and
// (d, c) against (w0, w1). Samples are shifted into the signed range first
// (x ^ 0x8000 = x - 32768) and the shift comes back as 65536 x (w0 + w1).
// The lane sums are exact (two's complement wraps cancel out, and the true
// sum is the plain loop's 32-bit one); the unsigned-saturating pack of the
// rounded sums is the limit (a sum of eighths at or below 0 rounds to at
// most 0).
#include "cubic/symmetric_vector_rows.h"

#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
namespace {

struct SymmetricWeights {
    __m256i pair, offset;
};

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Load(const uint16_t* p) {
    return _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                            _mm256_set1_epi16(int16_t(0x8000)));
}

template <SymmetricRounding kRounding>
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Rounded(__m256i t) {
    if (kRounding == SymmetricRounding::Fixed1024) return _mm256_srai_epi32(t, 10);
    // (t + 3 + (t >> 3 & 1)) >> 3: halves go up from odd integers only.
    const __m256i odd = _mm256_and_si256(_mm256_srai_epi32(t, 3), _mm256_set1_epi32(1));
    return _mm256_srai_epi32(_mm256_add_epi32(_mm256_add_epi32(t, _mm256_set1_epi32(3)), odd), 3);
}

// Outputs for the columns of a .. d, in their order.
template <SymmetricRounding kRounding>
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Symmetric(__m256i a, __m256i b, __m256i c, __m256i d,
                                                        const SymmetricWeights& w) {
    auto sum = [&](__m256i ab, __m256i dc) ORVEX_TARGET_AVX2 {
        const __m256i s =
            _mm256_add_epi32(_mm256_madd_epi16(ab, w.pair), _mm256_madd_epi16(dc, w.pair));
        return Rounded<kRounding>(_mm256_add_epi32(s, w.offset));
    };
    return _mm256_packus_epi32(sum(_mm256_unpacklo_epi16(a, b), _mm256_unpacklo_epi16(d, c)),
                               sum(_mm256_unpackhi_epi16(a, b), _mm256_unpackhi_epi16(d, c)));
}

template <SymmetricRounding kRounding>
ORVEX_TARGET_AVX2 size_t VerticalAvx2(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                      const uint16_t* r2, const uint16_t* r3, size_t x,
                                      size_t width, SymmetricWeights w) {
    for (; x + 16 <= width; x += 16)
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + x),
            Symmetric<kRounding>(Load(r0 + x), Load(r1 + x), Load(r2 + x), Load(r3 + x), w));
    return x;
}

template <SymmetricRounding kRounding>
ORVEX_TARGET_AVX2 size_t EnlargeAvx2(uint16_t* out, const uint16_t* in, size_t k, size_t end,
                                     SymmetricWeights w) {
    for (; k + 16 <= end; k += 16) {
        const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + k));
        const __m256i half = Symmetric<kRounding>(Load(in + k - 1), Load(in + k), Load(in + k + 1),
                                                  Load(in + k + 2), w);
        // Pairs (in[k], half[k]) in output order: unpacking works per 128-bit lane.
        const __m256i lo = _mm256_unpacklo_epi16(at, half), hi = _mm256_unpackhi_epi16(at, half);
        auto* o = reinterpret_cast<__m256i*>(out + 2 * k);
        _mm256_storeu_si256(o, _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return k;
}

// The weights as signed words, or false where they do not fit one.
ORVEX_TARGET_AVX2 bool WeightsOf(int32_t w0, int32_t w1, SymmetricWeights& w) {
    if (w0 < -32768 || w0 > 32767 || w1 < -32768 || w1 > 32767) return false;
    w.pair = _mm256_set1_epi32(int32_t(uint32_t(uint16_t(w0)) | uint32_t(uint16_t(w1)) << 16));
    w.offset = _mm256_set1_epi32(int32_t(uint32_t(w0 + w1) << 16));
    return true;
}

}  // namespace
#endif

size_t VerticalSymmetricVectorRow(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                  const uint16_t* r2, const uint16_t* r3, size_t first,
                                  size_t width, int32_t w0, int32_t w1,
                                  SymmetricRounding rounding) {
#if defined(ORVEX_SIMD_X86)
    SymmetricWeights w;
    if (ActiveSimdLevel() >= SimdLevel::Avx2 && WeightsOf(w0, w1, w)) {
        const auto kernel = rounding == SymmetricRounding::Fixed1024
                                ? VerticalAvx2<SymmetricRounding::Fixed1024>
                                : VerticalAvx2<SymmetricRounding::EighthsToEven>;
        return kernel(out, r0, r1, r2, r3, first, width, w);
    }
#endif
    (void)out, (void)r0, (void)r1, (void)r2, (void)r3, (void)width, (void)w0, (void)w1,
        (void)rounding;
    return first;
}

size_t EnlargeSymmetricVectorRow(uint16_t* out, const uint16_t* in, size_t first, size_t end,
                                 int32_t w0, int32_t w1, SymmetricRounding rounding) {
#if defined(ORVEX_SIMD_X86)
    SymmetricWeights w;
    if (ActiveSimdLevel() >= SimdLevel::Avx2 && WeightsOf(w0, w1, w)) {
        const auto kernel = rounding == SymmetricRounding::Fixed1024
                                ? EnlargeAvx2<SymmetricRounding::Fixed1024>
                                : EnlargeAvx2<SymmetricRounding::EighthsToEven>;
        return kernel(out, in, first, end, w);
    }
#endif
    (void)out, (void)in, (void)end, (void)w0, (void)w1, (void)rounding;
    return first;
}

}  // namespace orvex
