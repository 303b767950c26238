// Lane operations of the x86 files; the means they compute are described
// in bilinear_row_body.h.
#pragma once

#include "methods/bilinear/bilinear_row_body.h"
#include "methods/bilinear/bilinear_rows.h"
#include "simd/x86/pixel_interleave.h"
#include "simd/x86/quad_pixel_stores.h"

namespace orvex::bilinear_x86 {
namespace {

using simd::Interleave3Avx2;
using simd::Interleave3Ssse3;

// Lane operations of a sample width and a vector width. Colour(even) is the
// lane mask of the colour sites' column parity.
template <size_t kE>
struct Ssse3Ops {
    using V = __m128i;
    static constexpr size_t kBytes = kE, kColumns = 16 / kE, kPixelBytes = 3;
    ORVEX_TARGET_SSSE3 static V Load(const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    ORVEX_TARGET_SSSE3 static V Avg(V a, V b) {
        return kE == 1 ? _mm_avg_epu8(a, b) : _mm_avg_epu16(a, b);
    }
    ORVEX_TARGET_SSSE3 static V Mean4(V a, V b, V c, V d) {
        const V p = Avg(a, b), q = Avg(c, d);
        const V one = kE == 1 ? _mm_set1_epi8(1) : _mm_set1_epi16(1);
        const V odd = _mm_and_si128(_mm_or_si128(_mm_xor_si128(a, b), _mm_xor_si128(c, d)),
                                    _mm_and_si128(_mm_xor_si128(p, q), one));
        return kE == 1 ? _mm_sub_epi8(Avg(p, q), odd) : _mm_sub_epi16(Avg(p, q), odd);
    }
    ORVEX_TARGET_SSSE3 static V Colour(bool even) {
        const V lowHalf = kE == 1 ? _mm_set1_epi16(0x00FF) : _mm_set1_epi32(0xFFFF);
        return even ? lowHalf : _mm_xor_si128(lowHalf, _mm_set1_epi8(-1));
    }
    // b where the mask is set, else a.
    ORVEX_TARGET_SSSE3 static V Pick(V a, V b, V mask) {
        return _mm_or_si128(_mm_and_si128(mask, b), _mm_andnot_si128(mask, a));
    }
    ORVEX_TARGET_SSSE3 static void Store(uint8_t* out, V s0, V s1, V s2) {
        Interleave3Ssse3<kE>(out, s0, s1, s2);
    }
};

template <size_t kE>
struct Avx2Ops {
    using V = __m256i;
    static constexpr size_t kBytes = kE, kColumns = 32 / kE, kPixelBytes = 3;
    ORVEX_TARGET_AVX2 static V Load(const uint8_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    ORVEX_TARGET_AVX2 static V Avg(V a, V b) {
        return kE == 1 ? _mm256_avg_epu8(a, b) : _mm256_avg_epu16(a, b);
    }
    ORVEX_TARGET_AVX2 static V Mean4(V a, V b, V c, V d) {
        const V p = Avg(a, b), q = Avg(c, d);
        const V one = kE == 1 ? _mm256_set1_epi8(1) : _mm256_set1_epi16(1);
        const V odd =
            _mm256_and_si256(_mm256_or_si256(_mm256_xor_si256(a, b), _mm256_xor_si256(c, d)),
                             _mm256_and_si256(_mm256_xor_si256(p, q), one));
        return kE == 1 ? _mm256_sub_epi8(Avg(p, q), odd) : _mm256_sub_epi16(Avg(p, q), odd);
    }
    ORVEX_TARGET_AVX2 static V Colour(bool even) {
        const V lowHalf = kE == 1 ? _mm256_set1_epi16(0x00FF) : _mm256_set1_epi32(0xFFFF);
        return even ? lowHalf : _mm256_xor_si256(lowHalf, _mm256_set1_epi8(-1));
    }
    ORVEX_TARGET_AVX2 static V Pick(V a, V b, V mask) { return _mm256_blendv_epi8(a, b, mask); }
    ORVEX_TARGET_AVX2 static void Store(uint8_t* out, V s0, V s1, V s2) {
        Interleave3Avx2<kE>(out, s0, s1, s2);
    }
};

}  // namespace
}  // namespace orvex::bilinear_x86
