// Every column computes all the means a site may need, in the sample width:
// a rounded mean of two samples is the unsigned average instruction, and the
// rounded mean of four is the average of the two pair averages, one less
// where both roundings went up without cancelling:
//   (a + b + c + d + 2) >> 2 = avg(p, q) - (((a ^ b) | (c ^ d)) & (p ^ q) & 1)
// with p = avg(a, b), q = avg(c, d). Each channel then picks its value by a
// fixed column-parity mask, and the three channels are interleaved into
// whole pixels by byte shuffles.
#include "bilinear/bilinear_vector_rows.h"

#include <cstring>
#include <utility>

#include "api/pixel_interleave.h"
#include "api/simd.h"

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
// Quad8 stores three bytes of a four-byte pixel.
// 32 pixels as two 64-byte pieces of 32-bit words s0 | s1 << 8 | s2 << 16,
// stored with the fourth byte of each word masked off.
struct Quad8 {
    static constexpr size_t kPixelBytes = 4;
    // Zero-masking forms: the plain ones leave lanes "undefined" that GCC 12
    // then warns about.
    static constexpr __mmask16 kAll = 0xFFFF;
    ORVEX_TARGET_AVX512 static __m512i Words(__m128i s0, __m128i s1, __m128i s2) {
        return _mm512_or_si512(
            _mm512_or_si512(_mm512_maskz_cvtepu8_epi32(kAll, s0),
                            _mm512_maskz_slli_epi32(kAll, _mm512_maskz_cvtepu8_epi32(kAll, s1), 8)),
            _mm512_maskz_slli_epi32(kAll, _mm512_maskz_cvtepu8_epi32(kAll, s2), 16));
    }
    ORVEX_TARGET_AVX512 static void Store(uint8_t* out, __m256i s0, __m256i s1, __m256i s2) {
        const __mmask64 channels = 0x7777777777777777ULL;
        _mm512_mask_storeu_epi8(out, channels,
                                Words(_mm256_castsi256_si128(s0), _mm256_castsi256_si128(s1),
                                      _mm256_castsi256_si128(s2)));
        _mm512_mask_storeu_epi8(
            out + 64, channels,
            Words(_mm256_extracti128_si256(s0, 1), _mm256_extracti128_si256(s1, 1),
                  _mm256_extracti128_si256(s2, 1)));
    }
};

// Without byte-masked stores, the three channel bytes of each four-byte
// pixel are stored as two pieces, of two bytes and of one, from general
// registers: a vector store would also write the fourth byte, which must
// keep the caller's value. The pixels are first widened to 32-bit words
// c0 | c1 << 8 | c2 << 16 on the stack; unpacking works within 128-bit
// lanes, so word vector v holds, in lane l, pixels 16l + 4v .. 16l + 4v + 3.
ORVEX_VECTOR_INLINE void StoreChannelPieces(uint8_t* out, uint64_t twoWords) {
    // Keeps the words in a general register: stores extracted from vector
    // registers one piece at a time cost twice as much.
    asm("" : "+r"(twoWords));
    const auto w0 = static_cast<uint32_t>(twoWords), w1 = static_cast<uint32_t>(twoWords >> 32);
    std::memcpy(out, &w0, 2);
    out[2] = static_cast<uint8_t>(w0 >> 16);
    std::memcpy(out + 4, &w1, 2);
    out[6] = static_cast<uint8_t>(w1 >> 16);
}

template <size_t kLanes, size_t... kPair>
ORVEX_VECTOR_INLINE void StoreWordPairs(uint8_t* out, const uint64_t* pairs,
                                        std::index_sequence<kPair...>) {
    // Pair q: word vector q / (2 kLanes), lane q / 2 % kLanes, pixels 2 (q % 2) on.
    (StoreChannelPieces(
         out + 4 * (16 * (kPair / 2 % kLanes) + 4 * (kPair / (2 * kLanes)) + 2 * (kPair % 2)),
         pairs[kPair]),
     ...);
}

struct QuadPiecesSsse3 {
    static constexpr size_t kPixelBytes = 4;
    ORVEX_TARGET_SSSE3 static void Store(uint8_t* out, __m128i s0, __m128i s1, __m128i s2) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i lo = _mm_unpacklo_epi8(s0, s1), hi = _mm_unpackhi_epi8(s0, s1);
        const __m128i lo2 = _mm_unpacklo_epi8(s2, zero), hi2 = _mm_unpackhi_epi8(s2, zero);
        alignas(16) uint64_t pairs[8];
        auto* w = reinterpret_cast<__m128i*>(pairs);
        _mm_store_si128(w + 0, _mm_unpacklo_epi16(lo, lo2));
        _mm_store_si128(w + 1, _mm_unpackhi_epi16(lo, lo2));
        _mm_store_si128(w + 2, _mm_unpacklo_epi16(hi, hi2));
        _mm_store_si128(w + 3, _mm_unpackhi_epi16(hi, hi2));
        StoreWordPairs<1>(out, pairs, std::make_index_sequence<8>());
    }
};

struct QuadPiecesAvx2 {
    static constexpr size_t kPixelBytes = 4;
    ORVEX_TARGET_AVX2 static void Store(uint8_t* out, __m256i s0, __m256i s1, __m256i s2) {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i lo = _mm256_unpacklo_epi8(s0, s1), hi = _mm256_unpackhi_epi8(s0, s1);
        const __m256i lo2 = _mm256_unpacklo_epi8(s2, zero), hi2 = _mm256_unpackhi_epi8(s2, zero);
        alignas(32) uint64_t pairs[16];
        auto* w = reinterpret_cast<__m256i*>(pairs);
        _mm256_store_si256(w + 0, _mm256_unpacklo_epi16(lo, lo2));
        _mm256_store_si256(w + 1, _mm256_unpackhi_epi16(lo, lo2));
        _mm256_store_si256(w + 2, _mm256_unpacklo_epi16(hi, hi2));
        _mm256_store_si256(w + 3, _mm256_unpackhi_epi16(hi, hi2));
        StoreWordPairs<2>(out, pairs, std::make_index_sequence<16>());
    }
};

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
    using P = Quad8;
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
