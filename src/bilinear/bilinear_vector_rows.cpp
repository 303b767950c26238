// Every column computes all the means a site may need, in the sample width:
// a rounded mean of two samples is the unsigned average instruction, and the
// rounded mean of four is the average of the two pair averages, one less
// where both roundings went up without cancelling:
//   (a + b + c + d + 2) >> 2 = avg(p, q) - (((a ^ b) | (c ^ d)) & (p ^ q) & 1)
// with p = avg(a, b), q = avg(c, d). Each channel then picks its value by a
// fixed column-parity mask, and the three channels are interleaved into
// whole pixels by byte shuffles.
#include "bilinear/bilinear_vector_rows.h"

#include "simd/pixel_interleave.h"
#include "simd/quad_pixel_stores.h"
#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
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

// The kernel body, the same for every width; a macro because each width's
// copy must be compiled for its own instruction set.
#define ORVEX_BILINEAR_ROW_BODY(O)                                                     \
    using V = typename O::V;                                                           \
    constexpr size_t kE = O::kBytes, kStep = O::kColumns;                              \
    const V colour = O::Colour(kEvenColour);                                           \
    for (; x + kStep + 1 <= width; x += kStep) {                                       \
        const V cl = O::Load(c + kE * (x - 1)), cc = O::Load(c + kE * x);              \
        const V cr = O::Load(c + kE * (x + 1));                                        \
        const V uc = O::Load(u + kE * x), dc = O::Load(d + kE * x);                    \
        const V horiz = O::Avg(cl, cr), vert = O::Avg(uc, dc);                         \
        const V cross = O::Mean4(cl, cr, uc, dc);                                      \
        const V diag = O::Mean4(O::Load(u + kE * (x - 1)), O::Load(u + kE * (x + 1)),  \
                                O::Load(d + kE * (x - 1)), O::Load(d + kE * (x + 1))); \
        const V g = O::Pick(cc, cross, colour);                                        \
        const V own = O::Pick(horiz, cc, colour);    /* the row's colour channel */    \
        const V other = O::Pick(vert, diag, colour); /* the other colour channel */    \
        const V r = kRedRow ? own : other, b = kRedRow ? other : own;                  \
        if (kRedFirst)                                                                 \
            P::Store(out + P::kPixelBytes * kE * x, r, g, b);                          \
        else                                                                           \
            P::Store(out + P::kPixelBytes * kE * x, b, g, r);                          \
    }                                                                                  \
    return x;

#define ORVEX_BILINEAR_ROW_ARGS \
    const uint8_t *u, const uint8_t *c, const uint8_t *d, size_t x, size_t width, uint8_t *out

// Pixel stores: the lane operations store three packed samples (P = O);
// the four-byte stores write three bytes of each pixel.
using simd::QuadMaskedAvx512;
using simd::QuadPiecesAvx2;
using simd::QuadPiecesSsse3;

template <class O, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_SSSE3 size_t RowSsse3(ORVEX_BILINEAR_ROW_ARGS) {
    using P = O;
    ORVEX_BILINEAR_ROW_BODY(O)
}

template <class O, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX2 size_t RowAvx2(ORVEX_BILINEAR_ROW_ARGS) {
    using P = O;
    ORVEX_BILINEAR_ROW_BODY(O)
}

template <class O, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_SSSE3 size_t RowQuadSsse3(ORVEX_BILINEAR_ROW_ARGS) {
    using P = QuadPiecesSsse3;
    ORVEX_BILINEAR_ROW_BODY(O)
}

template <class O, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX2 size_t RowQuadAvx2(ORVEX_BILINEAR_ROW_ARGS) {
    using P = QuadPiecesAvx2;
    ORVEX_BILINEAR_ROW_BODY(O)
}

template <class O, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX512 size_t RowQuadAvx512(ORVEX_BILINEAR_ROW_ARGS) {
    using P = QuadMaskedAvx512;
    ORVEX_BILINEAR_ROW_BODY(O)
}

using RowFn = size_t (*)(ORVEX_BILINEAR_ROW_ARGS);

// Each width's kernel as a type, so one table template serves them all.
template <class O, bool kA, bool kB, bool kC>
struct Ssse3Kernel {
    static constexpr RowFn kFn = RowSsse3<O, kA, kB, kC>;
};
template <class O, bool kA, bool kB, bool kC>
struct Avx2Kernel {
    static constexpr RowFn kFn = RowAvx2<O, kA, kB, kC>;
};
template <class O, bool kA, bool kB, bool kC>
struct QuadSsse3Kernel {
    static constexpr RowFn kFn = RowQuadSsse3<O, kA, kB, kC>;
};
template <class O, bool kA, bool kB, bool kC>
struct QuadAvx2Kernel {
    static constexpr RowFn kFn = RowQuadAvx2<O, kA, kB, kC>;
};
template <class O, bool kA, bool kB, bool kC>
struct QuadAvx512Kernel {
    static constexpr RowFn kFn = RowQuadAvx512<O, kA, kB, kC>;
};

// Kernels by [red row][even colour][red first].
template <template <class, bool, bool, bool> class K, class O>
constexpr RowFn kRows[2][2][2] = {{{K<O, false, false, false>::kFn, K<O, false, false, true>::kFn},
                                   {K<O, false, true, false>::kFn, K<O, false, true, true>::kFn}},
                                  {{K<O, true, false, false>::kFn, K<O, true, false, true>::kFn},
                                   {K<O, true, true, false>::kFn, K<O, true, true, true>::kFn}}};

template <size_t kE>
size_t VectorRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x, size_t width,
                 uint8_t* out, bool redFirst, BilinearRowKinds kinds) {
    const SimdLevel level = ActiveSimdLevel();
    const size_t row = kinds.redRow, even = kinds.evenColour, first = redFirst;
    if (level >= SimdLevel::Avx2)
        x = kRows<Avx2Kernel, Avx2Ops<kE>>[row][even][first](u, c, d, x, width, out);
    if (level >= SimdLevel::Ssse3)
        x = kRows<Ssse3Kernel, Ssse3Ops<kE>>[row][even][first](u, c, d, x, width, out);
    return x;
}

}  // namespace
#endif

size_t BilinearVectorQuadRow8(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                              size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds) {
#if defined(ORVEX_SIMD_X86)
    const SimdLevel level = ActiveSimdLevel();
    const size_t row = kinds.redRow, even = kinds.evenColour, red = redFirst;
    if (level >= SimdLevel::Avx512)
        return kRows<QuadAvx512Kernel, Avx2Ops<1>>[row][even][red](u, c, d, first, width, out);
    if (level >= SimdLevel::Avx2)
        first = kRows<QuadAvx2Kernel, Avx2Ops<1>>[row][even][red](u, c, d, first, width, out);
    if (level >= SimdLevel::Ssse3)
        first = kRows<QuadSsse3Kernel, Ssse3Ops<1>>[row][even][red](u, c, d, first, width, out);
#endif
    (void)u, (void)c, (void)d, (void)width, (void)out, (void)redFirst, (void)kinds;
    return first;
}

size_t BilinearVectorRow8(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                          size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds) {
#if defined(ORVEX_SIMD_X86)
    return VectorRow<1>(u, c, d, first, width, out, redFirst, kinds);
#else
    (void)u, (void)c, (void)d, (void)width, (void)out, (void)redFirst, (void)kinds;
    return first;
#endif
}

size_t BilinearVectorRow16(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                           size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds) {
#if defined(ORVEX_SIMD_X86)
    return VectorRow<2>(u, c, d, first, width, out, redFirst, kinds);
#else
    (void)u, (void)c, (void)d, (void)width, (void)out, (void)redFirst, (void)kinds;
    return first;
#endif
}

}  // namespace orvex
