// A cell is the 16-bit lane of its two columns: even column in the low byte,
// odd in the high one. Its three values (the green the truncated mean of the
// two greens) are computed in the lane, copied into both bytes for the
// cell's two pixels, and interleaved into whole pixels.
#include "block/block_vector_rows.h"

#include "api/pixel_interleave.h"
#include "api/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
namespace {

#define ORVEX_BLOCK_ROW_BODY(kColumns, V, load, and_, srli, slli, add, or_, set1, store3) \
    const V low = set1(0x00FF);                                                           \
    for (; x + kColumns <= end; x += kColumns) {                                          \
        const V t = load(reinterpret_cast<const V*>(rowT + x));                           \
        const V b = load(reinterpret_cast<const V*>(rowB + x));                           \
        /* Colour corner: top (T, L), greens (B, L) and (T, R), bottom (B, R). */         \
        const V top = kColourCorner ? and_(t, low) : srli(t, 8);                          \
        const V bottom = kColourCorner ? srli(b, 8) : and_(b, low);                       \
        const V green = kColourCorner ? srli(add(and_(b, low), srli(t, 8)), 1)            \
                                      : srli(add(and_(t, low), srli(b, 8)), 1);           \
        const V tt = or_(top, slli(top, 8)), gg = or_(green, slli(green, 8));             \
        const V bb = or_(bottom, slli(bottom, 8));                                        \
        if (kTopFirst)                                                                    \
            store3(out + 3 * x, tt, gg, bb);                                              \
        else                                                                              \
            store3(out + 3 * x, bb, gg, tt);                                              \
    }                                                                                     \
    return x;

#define ORVEX_BLOCK_ROW_ARGS \
    const uint8_t *rowT, const uint8_t *rowB, size_t x, size_t end, uint8_t *out

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_SSSE3 size_t PairRowSsse3(ORVEX_BLOCK_ROW_ARGS) {
    ORVEX_BLOCK_ROW_BODY(16, __m128i, _mm_loadu_si128, _mm_and_si128, _mm_srli_epi16,
                         _mm_slli_epi16, _mm_add_epi16, _mm_or_si128, _mm_set1_epi16,
                         simd::Interleave3Ssse3<1>)
}

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_AVX2 size_t PairRowAvx2(ORVEX_BLOCK_ROW_ARGS) {
    ORVEX_BLOCK_ROW_BODY(32, __m256i, _mm256_loadu_si256, _mm256_and_si256, _mm256_srli_epi16,
                         _mm256_slli_epi16, _mm256_add_epi16, _mm256_or_si256, _mm256_set1_epi16,
                         simd::Interleave3Avx2<1>)
}

using PairRowFn = size_t (*)(ORVEX_BLOCK_ROW_ARGS);

// By [colour corner][top first].
constexpr PairRowFn kSsse3Rows[2][2] = {{PairRowSsse3<false, false>, PairRowSsse3<false, true>},
                                        {PairRowSsse3<true, false>, PairRowSsse3<true, true>}};
constexpr PairRowFn kAvx2Rows[2][2] = {{PairRowAvx2<false, false>, PairRowAvx2<false, true>},
                                       {PairRowAvx2<true, false>, PairRowAvx2<true, true>}};

}  // namespace
#endif

size_t BlockVectorPairRow8(const uint8_t* rowT, const uint8_t* rowB, size_t first, size_t end,
                           uint8_t* out, bool colourCorner, bool topFirst) {
#if defined(ORVEX_SIMD_X86)
    const SimdLevel level = ActiveSimdLevel();
    if (level >= SimdLevel::Avx2)
        first = kAvx2Rows[colourCorner][topFirst](rowT, rowB, first, end, out);
    if (level >= SimdLevel::Ssse3)
        first = kSsse3Rows[colourCorner][topFirst](rowT, rowB, first, end, out);
#else
    (void)rowT, (void)rowB, (void)end, (void)out, (void)colourCorner, (void)topFirst;
#endif
    return first;
}

}  // namespace orvex
