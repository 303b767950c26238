// NEON kernels of the block rows. A de-interleaving load splits 32 columns
// into the even and odd ones, so each lane is one cell; green is the
// truncated mean of the cell's two greens (a halving add). Zipping a
// channel with itself gives both pixels of each cell, and the interleaving
// stores write whole pixels into both rows of the pair. 16-bit mosaics take
// the same steps in 16-bit lanes, 16 columns at a time.
#include <initializer_list>

#include "methods/block/block_rows.h"
#include "simd/arm/neon.h"

#if defined(ORVEX_NEON)
namespace orvex {
namespace {

struct Cells {
    uint8x16_t top, green, bottom;  // 16 cells
};

template <bool kColourCorner>
inline Cells LoadCells(const uint8_t* rowT, const uint8_t* rowB, size_t x) {
    const uint8x16x2_t t = vld2q_u8(rowT + x), b = vld2q_u8(rowB + x);
    // Colour corner: top (T, L), greens (B, L) and (T, R), bottom (B, R).
    if (kColourCorner) return {t.val[0], vhaddq_u8(b.val[0], t.val[1]), b.val[1]};
    return {t.val[1], vhaddq_u8(t.val[0], b.val[1]), b.val[0]};
}

template <bool kColourCorner, bool kTopFirst>
size_t PairRowNeon(const uint8_t* rowT, const uint8_t* rowB, size_t x, size_t end, uint8_t* out,
                   uint8_t* below) {
    for (; x + 32 <= end; x += 32) {
        const Cells cells = LoadCells<kColourCorner>(rowT, rowB, x);
        const uint8x16_t first = kTopFirst ? cells.top : cells.bottom;
        const uint8x16_t last = kTopFirst ? cells.bottom : cells.top;
        const uint8x16x3_t lo = {
            {vzip1q_u8(first, first), vzip1q_u8(cells.green, cells.green), vzip1q_u8(last, last)}};
        const uint8x16x3_t hi = {
            {vzip2q_u8(first, first), vzip2q_u8(cells.green, cells.green), vzip2q_u8(last, last)}};
        vst3q_u8(out + 3 * x, lo);
        vst3q_u8(out + 3 * x + 48, hi);
        vst3q_u8(below + 3 * x, lo);
        vst3q_u8(below + 3 * x + 48, hi);
    }
    return x;
}

// The four-byte stores touch the byte after each pixel's three channels,
// which for a pixel whose channels start at its second byte is the next
// pixel's first: the last vector's pixels stop one short of the row's end.
template <bool kColourCorner, bool kTopFirst>
size_t QuadPairRowNeon(const uint8_t* rowT, const uint8_t* rowB, size_t x, size_t end, uint8_t* out,
                       uint8_t* below) {
    for (; x + 32 < end; x += 32) {
        const Cells cells = LoadCells<kColourCorner>(rowT, rowB, x);
        const uint8x16_t first = kTopFirst ? cells.top : cells.bottom;
        const uint8x16_t last = kTopFirst ? cells.bottom : cells.top;
        const uint8x16_t f0 = vzip1q_u8(first, first), f1 = vzip2q_u8(first, first);
        const uint8x16_t g0 = vzip1q_u8(cells.green, cells.green);
        const uint8x16_t g1 = vzip2q_u8(cells.green, cells.green);
        const uint8x16_t l0 = vzip1q_u8(last, last), l1 = vzip2q_u8(last, last);
        for (uint8_t* row : {out, below}) {
            simd::StoreQuad3(row + 4 * x, f0, g0, l0);
            simd::StoreQuad3(row + 4 * x + 64, f1, g1, l1);
        }
    }
    return x;
}

template <bool kColourCorner, bool kTopFirst>
size_t PairRow16Neon(const uint8_t* rowT, const uint8_t* rowB, size_t x, size_t end, uint8_t* out,
                     uint8_t* below) {
    for (; x + 16 <= end; x += 16) {
        const uint16x8x2_t t = vld2q_u16(reinterpret_cast<const uint16_t*>(rowT) + x);
        const uint16x8x2_t b = vld2q_u16(reinterpret_cast<const uint16_t*>(rowB) + x);
        const uint16x8_t top = kColourCorner ? t.val[0] : t.val[1];
        const uint16x8_t bottom = kColourCorner ? b.val[1] : b.val[0];
        const uint16x8_t green =
            kColourCorner ? vhaddq_u16(b.val[0], t.val[1]) : vhaddq_u16(t.val[0], b.val[1]);
        const uint16x8_t first = kTopFirst ? top : bottom, last = kTopFirst ? bottom : top;
        const uint16x8x3_t lo = {
            {vzip1q_u16(first, first), vzip1q_u16(green, green), vzip1q_u16(last, last)}};
        const uint16x8x3_t hi = {
            {vzip2q_u16(first, first), vzip2q_u16(green, green), vzip2q_u16(last, last)}};
        for (uint8_t* row : {out, below}) {
            uint16_t* const px = reinterpret_cast<uint16_t*>(row) + 3 * x;
            vst3q_u16(px, lo);
            vst3q_u16(px + 24, hi);
        }
    }
    return x;
}

#define ORVEX_BLOCK_NEON_TABLE(K)            \
    {                                        \
        {K<false, false>, K<false, true>}, { \
            K<true, false>, K<true, true>    \
        }                                    \
    }

}  // namespace

extern const BlockRowSet kBlockRowsNeon = {ORVEX_BLOCK_NEON_TABLE(PairRowNeon),
                                           ORVEX_BLOCK_NEON_TABLE(QuadPairRowNeon),
                                           ORVEX_BLOCK_NEON_TABLE(PairRow16Neon)};
}  // namespace orvex
#else
namespace orvex {
extern const BlockRowSet kBlockRowsNeon = {};
}  // namespace orvex
#endif
