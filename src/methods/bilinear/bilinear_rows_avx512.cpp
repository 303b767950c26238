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
    // The bit logic as ternary operations whose first operand, which the
    // instruction overwrites, is a temporary: no register copies.
    ORVEX_TARGET_AVX512 static V Mean4(V a, V b, V c, V d) {
        const V p = Avg(a, b), q = Avg(c, d);
        const V either = _mm512_ternarylogic_epi32(_mm512_xor_si512(a, b), c, d, 0xF6);  // A|B^C
        const V both = _mm512_ternarylogic_epi32(either, p, q, 0x60);                    // A&(B^C)
        return _mm512_sub_epi8(Avg(p, q), _mm512_and_si512(both, _mm512_set1_epi8(1)));
    }
    ORVEX_TARGET_AVX512 static V Colour(bool even) {
        const V lowHalf = _mm512_set1_epi16(0x00FF);
        return even ? lowHalf : _mm512_xor_si512(lowHalf, _mm512_set1_epi8(-1));
    }
    // b where the mask is set, else a (C ? B : A, overwriting a).
    ORVEX_TARGET_AVX512 static V Pick(V a, V b, V mask) {
        return _mm512_ternarylogic_epi32(a, b, mask, 0xD8);
    }
};

// 64 opaque pixels c0 | c1 << 8 | c2 << 16 | 0xff << 24. The unpacks work
// within 128-bit lanes: the words they make from lane l hold the lane's
// bytes 4 k .. 4 k + 3 for k = 0 .. 3, one word of pixels a vector. So the
// channels' four-byte groups are first transposed (group 4 l + k from group
// 4 k + l), and each unpacked word is then a whole output vector in pixel
// order: one permute a channel instead of a lane transpose of the outputs.
// kStream: by streaming stores, each filling a whole line of a 64-byte
// aligned out.
template <bool kStream>
struct QuadOpaque512 {
    static constexpr size_t kPixelBytes = 4;
    ORVEX_TARGET_AVX512 static void Put(uint8_t* out, __m512i v) {
        if (kStream)
            _mm512_stream_si512(reinterpret_cast<__m512i*>(out), v);
        else
            _mm512_storeu_si512(out, v);
    }
    ORVEX_TARGET_AVX512 static void Store(uint8_t* out, __m512i s0, __m512i s1, __m512i s2) {
        const __m512i ff = _mm512_set1_epi8(-1);
        const __m512i groups =
            _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
        // The zero-masking form: GCC 12 warns of the plain one's undefined lanes.
        const __m512i t0 = _mm512_maskz_permutexvar_epi32(0xFFFF, groups, s0),
                      t1 = _mm512_maskz_permutexvar_epi32(0xFFFF, groups, s1),
                      t2 = _mm512_maskz_permutexvar_epi32(0xFFFF, groups, s2);
        const __m512i lo = _mm512_unpacklo_epi8(t0, t1), hi = _mm512_unpackhi_epi8(t0, t1);
        const __m512i lo2 = _mm512_unpacklo_epi8(t2, ff), hi2 = _mm512_unpackhi_epi8(t2, ff);
        Put(out, _mm512_unpacklo_epi16(lo, lo2));
        Put(out + 64, _mm512_unpackhi_epi16(lo, lo2));
        Put(out + 128, _mm512_unpacklo_epi16(hi, hi2));
        Put(out + 192, _mm512_unpackhi_epi16(hi, hi2));
    }
};

template <class O, class P, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX512 size_t Row(ORVEX_BILINEAR_ROW_ARGS) {
    ORVEX_BILINEAR_ROW_BODY(O)
}

// The 64 columns x .. x + 63 of a row at the frame's left edge (x is its
// column 0) or right edge (x + 63 its last column): the neighbour beyond
// the edge is the column next to the edge sample, put into the lane a
// load would have read from outside the row, which that load's mask skips.
// Then the means are those of the edge sites, by the interior's body.
template <bool kRight>
struct EdgeLoads {
    ORVEX_TARGET_AVX512 static __m512i Left(const uint8_t* p, size_t x) {
        if (kRight) return _mm512_loadu_si512(p + x - 1);
        return _mm512_mask_blend_epi8(1, _mm512_maskz_loadu_epi8(~uint64_t(1), p + x - 1),
                                      _mm512_set1_epi8(char(p[x + 1])));
    }
    ORVEX_TARGET_AVX512 static __m512i Right(const uint8_t* p, size_t x) {
        if (!kRight) return _mm512_loadu_si512(p + x + 1);
        const uint64_t last = uint64_t(1) << 63;
        return _mm512_mask_blend_epi8(last, _mm512_maskz_loadu_epi8(~last, p + x + 1),
                                      _mm512_set1_epi8(char(p[x + 62])));
    }
};

template <bool kRight, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX512 void EdgeRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x,
                                 uint8_t* out) {
    using O = Avx512Ops;
    using L = EdgeLoads<kRight>;
    using V = __m512i;
    const V colour = O::Colour(kEvenColour);
    const V cl = L::Left(c, x), cc = O::Load(c + x), cr = L::Right(c, x);
    const V uc = O::Load(u + x), dc = O::Load(d + x);
    const V horiz = O::Avg(cl, cr), vert = O::Avg(uc, dc);
    const V cross = O::Mean4(cl, cr, uc, dc);
    const V diag = O::Mean4(L::Left(u, x), L::Right(u, x), L::Left(d, x), L::Right(d, x));
    const V g = O::Pick(cc, cross, colour);
    const V own = O::Pick(horiz, cc, colour);
    const V other = O::Pick(vert, diag, colour);
    const V r = kRedRow ? own : other, b = kRedRow ? other : own;
    if (kRedFirst)
        QuadOpaque512<false>::Store(out + 4 * x, r, g, b);
    else
        QuadOpaque512<false>::Store(out + 4 * x, b, g, r);
}

// The [red row][even colour][red first] table of one edge.
#define ORVEX_EDGE_TABLE(kRight)                                                        \
    {                                                                                   \
        {{EdgeRow<kRight, false, false, false>, EdgeRow<kRight, false, false, true>},   \
         {EdgeRow<kRight, false, true, false>, EdgeRow<kRight, false, true, true>}},    \
            {{EdgeRow<kRight, true, false, false>, EdgeRow<kRight, true, false, true>}, \
             {EdgeRow<kRight, true, true, false>, EdgeRow<kRight, true, true, true>}},  \
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
extern const BilinearEdgeRows kBilinearEdgeRowsAvx512[2] = {ORVEX_EDGE_TABLE(false),
                                                            ORVEX_EDGE_TABLE(true)};
}  // namespace orvex
#else
namespace orvex {
extern const BilinearRowSet kBilinearRowsAvx512 = {};
extern const BilinearStreamRows kBilinearStreamRowsAvx512 = {};
extern const BilinearEdgeRows kBilinearEdgeRowsAvx512[2] = {};
}  // namespace orvex
#endif
