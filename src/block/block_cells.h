// Cell kernels of the block demosaic, included by the file of each
// instruction set that compiles them (portable and AVX2 builds of one body).
//
// Every written triple comes from four mosaic sites: rows T (top) and B
// (bottom), columns L (left) and R (right). A regular cell has T = y, B = y + 1,
// L = x, R = x + 1; an odd last column mirrors to L = w - 1, R = w - 2 and an
// odd last row to T = h - 1, B = h - 2, so the same cell rule serves all three.
#pragma once

#include <cstddef>
#include <type_traits>

#include "block/block_rows.h"
#include "core/samples.h"
#include "core/stream_copy.h"

namespace orvex {
namespace {

struct Triple {
    uint32_t top, green, bottom;
};

// Colour corner (RGGB, BGGR): the top colour sits at (T, L).
struct ColourCorner {
    template <class S>
    static Triple Cell(const uint8_t* rowT, const uint8_t* rowB, size_t l, size_t r) {
        return {S::Load(rowT, l), (S::Load(rowB, l) + S::Load(rowT, r)) >> 1, S::Load(rowB, r)};
    }
};

// Green corner (GRBG, GBRG): greens at (T, L) and (B, R).
struct GreenCorner {
    template <class S>
    static Triple Cell(const uint8_t* rowT, const uint8_t* rowB, size_t l, size_t r) {
        return {S::Load(rowT, r), (S::Load(rowT, l) + S::Load(rowB, r)) >> 1, S::Load(rowB, l)};
    }
};

// The channels of output row 0 and the distance between rows. kStep 0: the
// pixel step known only at run time.
template <class S, size_t kStep>
struct Channels {
    uint8_t* top;
    uint8_t* green;
    uint8_t* bottom;
    size_t step;
    ptrdiff_t stride;

    void Put(size_t y, size_t x, const Triple& t) const {
        const ptrdiff_t row = ptrdiff_t(y) * stride;
        const size_t at = x * (kStep ? kStep : step);
        S::Store(top + row, at, t.top);
        S::Store(green + row, at, t.green);
        S::Store(bottom + row, at, t.bottom);
    }
};

// Copies output row y onto row y + 1, as up to three gapless runs of
// samples: one run for a packed layout of three channels, one per plane for
// a planar layout. runs 0: the channels have gaps and are written one by one.
struct RowCopy {
    uint8_t* start[3];
    size_t runs;
    size_t runBytes;
    ptrdiff_t stride;

    // Bytes from offset from on of each run.
    void Duplicate(size_t y, size_t from = 0) const {
        const ptrdiff_t row = ptrdiff_t(y) * stride;
        for (size_t i = 0; i < runs; ++i)
            CopyRow(start[i] + row + stride + from, start[i] + row + from, runBytes - from);
    }
};

template <class S, size_t kStep>
RowCopy RowCopyOf(uint8_t* top, uint8_t* green, uint8_t* bottom, const PackedPixels& packed,
                  size_t w, ptrdiff_t stride) {
    if constexpr (kStep == 1) return {{top, green, bottom}, 3, w * S::kBytes, stride};
    if (kStep == 3 && packed.base != nullptr)
        return {{packed.base, nullptr, nullptr}, 1, 3 * w * S::kBytes, stride};
    return {{nullptr, nullptr, nullptr}, 0, 0, stride};
}

// Pixels of a row written per chunk from per-channel values on the stack.
constexpr size_t kChunk = 256;

// The first row of a row pair as one stream of packed pixels: both pixels
// of each cell take its triple. row.base: pixel 0 of the row. 8-bit RGB /
// BGR rows go through the vector kernel first, which writes the same
// pixels into below as well; returns the first column written into the
// first row only.
template <class S, class Corner>
ORVEX_INLINE size_t PackedPairRow(const uint8_t* rowT, const uint8_t* rowB, size_t ew,
                                  const PackedPixels& row, uint8_t* below,
                                  const BlockRowKernels& kernels) {
    size_t x = 0;
    if (S::kBytes == 1 && row.lane[1] == 1)
        x = kernels.triple.Run(0, [&](BlockPairRowFn f, size_t first) {
            return f(rowT, rowB, first, ew, row.base, below);
        });
    const size_t both = x;
    uint16_t t[kChunk], g[kChunk], b[kChunk];
    const uint16_t* const values[3] = {t, g, b};
    for (size_t x0 = x; x0 < ew; x0 += kChunk) {
        const size_t n = ew - x0 < kChunk ? ew - x0 : kChunk;
        for (size_t i = 0; i < n; i += 2) {
            const Triple c = Corner::template Cell<S>(rowT, rowB, x0 + i, x0 + i + 1);
            t[i] = t[i + 1] = static_cast<uint16_t>(c.top);
            g[i] = g[i + 1] = static_cast<uint16_t>(c.green);
            b[i] = b[i + 1] = static_cast<uint16_t>(c.bottom);
        }
        StorePackedPixels<S>(row, x0, n, values);
    }
    return both;
}

// The same pixel layout at another address.
inline PackedPixels Rebased(const PackedPixels& packed, uint8_t* base) {
    PackedPixels at = packed;
    at.base = base;
    return at;
}

// Pixels of a streamed row pair staged at a time.
constexpr size_t kStagedPixels = 1024;

// A row pair of a large output: its pixels are put together on the stack,
// a stretch at a time, and streamed into both rows, so no output line is
// read before it is overwritten. top, below: pixel 0 of the two rows.
template <class S, class Corner>
void StreamedPairRow(const uint8_t* rowT, const uint8_t* rowB, size_t ew,
                     const PackedPixels& packed, uint8_t* top, uint8_t* below,
                     const BlockRowKernels& kernels) {
    constexpr size_t kPixelBytes = 3 * S::kBytes;
    alignas(64) uint8_t staged[kStagedPixels * kPixelBytes];
    const PackedPixels stage = Rebased(packed, staged);
    for (size_t x0 = 0; x0 < ew; x0 += kStagedPixels) {
        const size_t n = ew - x0 < kStagedPixels ? ew - x0 : kStagedPixels;
        PackedPairRow<S, Corner>(rowT + S::kBytes * x0, rowB + S::kBytes * x0, n, stage, staged,
                                 kernels);
        StreamCopy(top + kPixelBytes * x0, staged, kPixelBytes * n);
        StreamCopy(below + kPixelBytes * x0, staged, kPixelBytes * n);
    }
}

// The cell kernel of one sample width, pattern corner and pixel step
// (kStep 0: known only at run time). Always inlined into the entry of each
// instruction set, which compiles it for that set.
template <class S, class Corner, size_t kStep>
ORVEX_INLINE void BlockCellsStep(const uint8_t* src, ptrdiff_t srcStride, size_t width,
                                 size_t height, uint8_t* top, uint8_t* green, uint8_t* bottom,
                                 ptrdiff_t dstStride, uint8_t pixelStep, SimdLevel level) {
    const size_t w = width;
    const size_t h = height;
    // Narrower or shorter than a cell: the odd rules would read outside the mosaic.
    if (w < 2 || h < 2) return;
    const Channels<S, kStep> out{top, green, bottom, pixelStep, dstStride};
    const size_t ew = w & ~size_t(1);
    const size_t eh = h & ~size_t(1);
    const size_t q = w - 1;
    auto row = [&](size_t i) { return src + ptrdiff_t(i) * srcStride; };

    // Both rows of a row pair carry the same pixels. Where the channels
    // fill their rows without gaps (no alpha between pixels), the second row
    // is a copy of the first.
    // The kernel's channels are top, green, bottom: lane values 0, 1, 2.
    const PackedPixels packed = PackedPixelsOf(top, green, bottom, S::kBytes);
    const BlockRowKernels kernels =
        ChooseBlockRows(level, std::is_same_v<Corner, ColourCorner>, packed.lane[0] == 0);
    const RowCopy copy = RowCopyOf<S, kStep>(top, green, bottom, packed, w, dstStride);
    // Large outputs of the 8-bit vector kernel bypass the caches (see
    // StreamedPairRow); the other packed rows are bound by their per-sample
    // stores, which staging would only add to.
    const bool streaming = kStep == 3 && S::kBytes == 1 && copy.runs == 1 && packed.lane[1] == 1 &&
                           copy.runBytes * h >= kStreamingOutputBytes;
    auto pixels = [&](size_t y) { return packed.base + ptrdiff_t(y) * dstStride; };
    for (size_t y = 0; y < eh; y += 2) {
        const uint8_t* rowT = row(y);
        const uint8_t* rowB = row(y + 1);
        if (kStep == 3 && copy.runs == 1) {
            uint8_t* const first = pixels(y);
            uint8_t* const second = pixels(y + 1);
            if (streaming) {
                StreamedPairRow<S, Corner>(rowT, rowB, ew, packed, first, second, kernels);
                if (w & 1) {
                    const Triple t = Corner::template Cell<S>(rowT, rowB, q, q - 1);
                    out.Put(y, q, t);
                    out.Put(y + 1, q, t);
                }
                continue;
            }
            const size_t both =
                PackedPairRow<S, Corner>(rowT, rowB, ew, Rebased(packed, first), second, kernels);
            if (w & 1) out.Put(y, q, Corner::template Cell<S>(rowT, rowB, q, q - 1));
            copy.Duplicate(y, 3 * S::kBytes * both);
            continue;
        }
        if (copy.runs != 0) {
            for (size_t x = 0; x < ew; x += 2) {
                const Triple t = Corner::template Cell<S>(rowT, rowB, x, x + 1);
                out.Put(y, x, t);
                out.Put(y, x + 1, t);
            }
            if (w & 1) out.Put(y, q, Corner::template Cell<S>(rowT, rowB, q, q - 1));
            copy.Duplicate(y);
            continue;
        }
        size_t x0 = 0;
        if (kStep == 4 && S::kBytes == 1 && packed.base != nullptr && packed.lane[1] == 1)
            x0 = kernels.quad.Run(0, [&](BlockPairRowFn f, size_t first) {
                return f(rowT, rowB, first, ew, pixels(y), pixels(y + 1));
            });
        for (size_t x = x0; x < ew; x += 2) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, x, x + 1);
            out.Put(y, x, t);
            out.Put(y, x + 1, t);
            out.Put(y + 1, x, t);
            out.Put(y + 1, x + 1, t);
        }
        if (w & 1) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, q, q - 1);
            out.Put(y, q, t);
            out.Put(y + 1, q, t);
        }
    }
    if (h & 1) {
        const size_t r = h - 1;
        const uint8_t* rowT = row(r);
        const uint8_t* rowB = row(r - 1);
        for (size_t x = 0; x < ew; x += 2) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, x, x + 1);
            out.Put(r, x, t);
            out.Put(r, x + 1, t);
        }
        if (w & 1) out.Put(r, q, Corner::template Cell<S>(rowT, rowB, q, q - 1));
    }
    if (streaming) StreamFence();
}

}  // namespace
}  // namespace orvex
