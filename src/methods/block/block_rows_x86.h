// Kernel bodies of the block rows for the x86 files, one per pixel size.
//
// A cell is the 16-bit lane of its two columns: even column in the low byte,
// odd in the high one. Its green (the truncated mean of the two greens) is
// computed in the lane; the byte shuffles that interleave whole pixels copy
// each of the cell's three values into both of its pixels. The pixels are
// stored into both rows of the pair: reading the first row back to copy it
// would cost as much again.
#pragma once

#include "methods/block/block_rows.h"
#include "simd/x86/pixel_interleave.h"
#include "simd/x86/quad_pixel_stores.h"

namespace orvex::block_x86 {

// Cell lanes hold a top, green and bottom value in one byte each: the
// colour sites in the raw rows (even byte: left column, odd byte: right
// column), green in the low byte of its lane; the masks copy each into
// both pixels of its cell. Offsets by channel in pixel order:
// [colour corner == top first], since a swapped order mirrors them.
alignas(16) constexpr simd::InterleaveMasks kCellMasks[2] = {simd::MakePairMasks({1, 0, 0}),
                                                             simd::MakePairMasks({0, 0, 1})};

#define ORVEX_BLOCK_ROW_BODY(kColumns, V, load, and_, srli, add, set1, pixels3, store) \
    const V low = set1(0x00FF);                                                        \
    const simd::InterleaveMasks& masks = kCellMasks[kColourCorner == kTopFirst];       \
    for (; x + kColumns <= end; x += kColumns) {                                       \
        const V t = load(reinterpret_cast<const V*>(rowT + x));                        \
        const V b = load(reinterpret_cast<const V*>(rowB + x));                        \
        /* Colour corner: top (T, L), greens (B, L) and (T, R), bottom (B, R). */      \
        const V green = kColourCorner ? srli(add(and_(b, low), srli(t, 8)), 1)         \
                                      : srli(add(and_(t, low), srli(b, 8)), 1);        \
        V pixels[3];                                                                   \
        if (kTopFirst)                                                                 \
            pixels3(pixels, t, green, b, masks);                                       \
        else                                                                           \
            pixels3(pixels, b, green, t, masks);                                       \
        for (size_t i = 0; i < 3; ++i) {                                               \
            store(reinterpret_cast<V*>(out + 3 * x) + i, pixels[i]);                   \
            store(reinterpret_cast<V*>(below + 3 * x) + i, pixels[i]);                 \
        }                                                                              \
    }                                                                                  \
    return x;

#define ORVEX_BLOCK_ROW_ARGS \
    const uint8_t *rowT, const uint8_t *rowB, size_t x, size_t end, uint8_t *out, uint8_t *below

// Four-byte pixels take their channels in pixel order: each cell's values
// are copied into both bytes of its lane first.
#define ORVEX_BLOCK_QUAD_BODY(kColumns, V, load, and_, srli, slli, add, or_, set1) \
    const V low = set1(0x00FF);                                                    \
    for (; x + kColumns <= end; x += kColumns) {                                   \
        const V t = load(reinterpret_cast<const V*>(rowT + x));                    \
        const V b = load(reinterpret_cast<const V*>(rowB + x));                    \
        const V top = kColourCorner ? and_(t, low) : srli(t, 8);                   \
        const V bottom = kColourCorner ? srli(b, 8) : and_(b, low);                \
        const V green = kColourCorner ? srli(add(and_(b, low), srli(t, 8)), 1)     \
                                      : srli(add(and_(t, low), srli(b, 8)), 1);    \
        const V tt = or_(top, slli(top, 8)), gg = or_(green, slli(green, 8));      \
        const V bb = or_(bottom, slli(bottom, 8));                                 \
        if (kTopFirst)                                                             \
            P::StoreBoth(out + 4 * x, below + 4 * x, tt, gg, bb);                  \
        else                                                                       \
            P::StoreBoth(out + 4 * x, below + 4 * x, bb, gg, tt);                  \
    }                                                                              \
    return x;

#define ORVEX_BLOCK_QUAD_SSSE3                                                         \
    ORVEX_BLOCK_QUAD_BODY(16, __m128i, _mm_loadu_si128, _mm_and_si128, _mm_srli_epi16, \
                          _mm_slli_epi16, _mm_add_epi16, _mm_or_si128, _mm_set1_epi16)
#define ORVEX_BLOCK_QUAD_AVX2                                                                   \
    ORVEX_BLOCK_QUAD_BODY(32, __m256i, _mm256_loadu_si256, _mm256_and_si256, _mm256_srli_epi16, \
                          _mm256_slli_epi16, _mm256_add_epi16, _mm256_or_si256, _mm256_set1_epi16)

// A set's [colour corner][top first] table of one kernel template.
#define ORVEX_BLOCK_TABLE(K)                 \
    {                                        \
        {K<false, false>, K<false, true>}, { \
            K<true, false>, K<true, true>    \
        }                                    \
    }

}  // namespace orvex::block_x86
