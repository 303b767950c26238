// AVX2 kernels of the cubic methods.
#include "methods/cubic/cubic_vector_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "simd/x86/pixel_interleave.h"

namespace orvex {
namespace {

// Plane rows out of mosaic rows.
//
// The even samples are the low halves of lanes twice the sample width: a
// mask widens 8-bit ones in place; 16-bit ones are packed back from 32-bit
// lanes, which the pack interleaves by 128-bit lane and a permute restores.

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i LoadBytes(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// 16 outputs read 32 samples: the last vector must end inside the row.
ORVEX_VECTOR_INLINE size_t VectorEnd(size_t width, size_t available) {
    const size_t end = available / 2;
    return end < width ? end : width;
}

ORVEX_TARGET_AVX2 size_t Extract8Avx2(uint16_t* out, const uint8_t* row, size_t first, size_t width,
                                      size_t available) {
    const size_t end = VectorEnd(width, available);
    const __m256i low = _mm256_set1_epi16(0x00FF);
    size_t l = first;
    for (; l + 16 <= end; l += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + l),
                            _mm256_and_si256(LoadBytes(row + 2 * l), low));
    return l;
}

ORVEX_TARGET_AVX2 size_t Extract16Avx2(uint16_t* out, const uint8_t* row, size_t first,
                                       size_t width, size_t available) {
    const size_t end = VectorEnd(width, available);
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    size_t l = first;
    for (; l + 16 <= end; l += 16) {
        const __m256i a = _mm256_and_si256(LoadBytes(row + 4 * l), low);
        const __m256i b = _mm256_and_si256(LoadBytes(row + 4 * l + 32), low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + l),
                            _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8));
    }
    return l;
}

// The symmetric phase.
//
// 16 outputs per step. The multiply-add of signed words sums a x w0 + b x w1
// of one 32-bit lane, so the terms are paired by unpacking: (a, b) and
// (d, c) against (w0, w1). Samples are shifted into the signed range first
// (x ^ 0x8000 = x - 32768) and the shift comes back as 65536 x (w0 + w1).
// The lane sums are exact (two's complement wraps cancel out, and the true
// sum is the plain loop's 32-bit one); the unsigned-saturating pack of the
// rounded sums is the limit (a sum of eighths at or below 0 rounds to at
// most 0).

struct SymmetricWeights {
    __m256i pair, offset;
};

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i LoadBiased(const uint16_t* p) {
    return _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                            _mm256_set1_epi16(int16_t(0x8000)));
}

template <int kRounding>
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Rounded(__m256i t) {
    if (kRounding == kFixed1024) return _mm256_srai_epi32(t, 10);
    // (t + 3 + (t >> 3 & 1)) >> 3: halves go up from odd integers only.
    const __m256i odd = _mm256_and_si256(_mm256_srai_epi32(t, 3), _mm256_set1_epi32(1));
    return _mm256_srai_epi32(_mm256_add_epi32(_mm256_add_epi32(t, _mm256_set1_epi32(3)), odd), 3);
}

// Outputs for the columns of a .. d, in their order.
template <int kRounding>
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

template <int kRounding>
ORVEX_TARGET_AVX2 size_t VerticalAvx2(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                      const uint16_t* r2, const uint16_t* r3, size_t x,
                                      size_t width, SymmetricWeights w) {
    for (; x + 16 <= width; x += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                            Symmetric<kRounding>(LoadBiased(r0 + x), LoadBiased(r1 + x),
                                                 LoadBiased(r2 + x), LoadBiased(r3 + x), w));
    return x;
}

template <int kRounding>
ORVEX_TARGET_AVX2 size_t EnlargeAvx2(uint16_t* out, const uint16_t* in, size_t k, size_t end,
                                     SymmetricWeights w) {
    for (; k + 16 <= end; k += 16) {
        const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + k));
        const __m256i half =
            Symmetric<kRounding>(LoadBiased(in + k - 1), LoadBiased(in + k), LoadBiased(in + k + 1),
                                 LoadBiased(in + k + 2), w);
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

template <int kRounding>
ORVEX_TARGET_AVX2 size_t VerticalKernel(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                        const uint16_t* r2, const uint16_t* r3, size_t first,
                                        size_t width, int32_t w0, int32_t w1) {
    SymmetricWeights w;
    if (!WeightsOf(w0, w1, w)) return first;
    return VerticalAvx2<kRounding>(out, r0, r1, r2, r3, first, width, w);
}

template <int kRounding>
ORVEX_TARGET_AVX2 size_t EnlargeKernel(uint16_t* out, const uint16_t* in, size_t first, size_t end,
                                       int32_t w0, int32_t w1) {
    SymmetricWeights w;
    if (!WeightsOf(w0, w1, w)) return first;
    return EnlargeAvx2<kRounding>(out, in, first, end, w);
}

// Recombination into packed three-byte pixels.
//
// 16-bit lanes throughout: the truncated mean of two samples is their
// rounded-up average minus the odd bit of their sum, the limit an unsigned
// minimum (a - saturating(a - m) on SSSE3), and the low byte is kept before
// the unsigned-saturating pack, which then cannot saturate.

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

extern const CubicVectorSet kCubicVectorsAvx2 = {
    {Extract8Avx2, Extract16Avx2},
    {VerticalKernel<kFixed1024>, VerticalKernel<kEighthsToEven>},
    {EnlargeKernel<kFixed1024>, EnlargeKernel<kEighthsToEven>},
    {RowAvx2<false>, RowAvx2<true>}};

}  // namespace orvex
#else
namespace orvex {
extern const CubicVectorSet kCubicVectorsAvx2 = {};
}  // namespace orvex
#endif
