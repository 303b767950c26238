// AVX-512 kernels of the fused bilinear rows.
#include "methods/bilinear/bilinear_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/bilinear/bilinear_rows_x86.h"

namespace orvex::bilinear_x86 {
namespace {

// Byte lanes of 64 columns, for the opaque four-byte pixels: the means as
// in the narrower sets, the picks a bitwise select.
struct Avx512Ops {
    using V = __m512i;
    static constexpr size_t kBytes = 1, kColumns = 64;
    ORVEX_TARGET_AVX512 static V Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
    ORVEX_TARGET_AVX512 static V Avg(V a, V b) { return _mm512_avg_epu8(a, b); }
    ORVEX_TARGET_AVX512 static V Mean4(V a, V b, V c, V d) {
        const V p = Avg(a, b), q = Avg(c, d);
        const V odd =
            _mm512_and_si512(_mm512_or_si512(_mm512_xor_si512(a, b), _mm512_xor_si512(c, d)),
                             _mm512_and_si512(_mm512_xor_si512(p, q), _mm512_set1_epi8(1)));
        return _mm512_sub_epi8(Avg(p, q), odd);
    }
    ORVEX_TARGET_AVX512 static V Colour(bool even) {
        const V lowHalf = _mm512_set1_epi16(0x00FF);
        return even ? lowHalf : _mm512_xor_si512(lowHalf, _mm512_set1_epi8(-1));
    }
    // b where the mask is set, else a.
    ORVEX_TARGET_AVX512 static V Pick(V a, V b, V mask) {
        return _mm512_ternarylogic_epi32(mask, b, a, 0xCA);
    }
};

// 64 opaque pixels c0 | c1 << 8 | c2 << 16 | 0xff << 24: the words of the
// unpacks hold, in 128-bit lane l, pixels 16 l + 4 k .. 16 l + 4 k + 3 for
// k = 0 .. 3; a transpose of the lanes puts them in pixel order. kStream:
// by streaming stores, each filling a whole line of a 64-byte aligned out.
template <bool kStream>
struct QuadOpaque512 {
    static constexpr size_t kPixelBytes = 4;
    // The zero-masking form: GCC 12 warns of the plain one's undefined lanes.
    template <int kImm>
    ORVEX_TARGET_AVX512 static __m512i Shuffle(__m512i a, __m512i b) {
        return _mm512_maskz_shuffle_i64x2(0xFF, a, b, kImm);
    }
    ORVEX_TARGET_AVX512 static void Put(uint8_t* out, __m512i v) {
        if (kStream)
            _mm512_stream_si512(reinterpret_cast<__m512i*>(out), v);
        else
            _mm512_storeu_si512(out, v);
    }
    ORVEX_TARGET_AVX512 static void Store(uint8_t* out, __m512i s0, __m512i s1, __m512i s2) {
        const __m512i ff = _mm512_set1_epi8(-1);
        const __m512i lo = _mm512_unpacklo_epi8(s0, s1), hi = _mm512_unpackhi_epi8(s0, s1);
        const __m512i lo2 = _mm512_unpacklo_epi8(s2, ff), hi2 = _mm512_unpackhi_epi8(s2, ff);
        const __m512i w0 = _mm512_unpacklo_epi16(lo, lo2), w1 = _mm512_unpackhi_epi16(lo, lo2);
        const __m512i w2 = _mm512_unpacklo_epi16(hi, hi2), w3 = _mm512_unpackhi_epi16(hi, hi2);
        const __m512i a = Shuffle<0x44>(w0, w1), b = Shuffle<0x44>(w2, w3);
        const __m512i c = Shuffle<0xEE>(w0, w1), d = Shuffle<0xEE>(w2, w3);
        Put(out, Shuffle<0x88>(a, b));
        Put(out + 64, Shuffle<0xDD>(a, b));
        Put(out + 128, Shuffle<0x88>(c, d));
        Put(out + 192, Shuffle<0xDD>(c, d));
    }
};

template <class O, class P, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX512 size_t Row(ORVEX_BILINEAR_ROW_ARGS) {
    ORVEX_BILINEAR_ROW_BODY(O)
}

}  // namespace
}  // namespace orvex::bilinear_x86

namespace orvex {
using namespace bilinear_x86;

extern const BilinearRowSet kBilinearRowsAvx512 = {
    {},
    {},
    ORVEX_BILINEAR_TABLE(Avx2Ops<1>, simd::QuadMaskedAvx512),
    ORVEX_BILINEAR_TABLE(Avx512Ops, QuadOpaque512<false>)};
extern const BilinearStreamRows kBilinearStreamRowsAvx512 =
    ORVEX_BILINEAR_TABLE(Avx512Ops, QuadOpaque512<true>);
}  // namespace orvex
#else
namespace orvex {
extern const BilinearRowSet kBilinearRowsAvx512 = {};
extern const BilinearStreamRows kBilinearStreamRowsAvx512 = {};
}  // namespace orvex
#endif
