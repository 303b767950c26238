// Cell kernels of the block demosaic, included by the file of each
// instruction set that compiles them (portable and AVX2 builds of one body).
//
// Every written triple comes from four mosaic sites: rows T (top) and B
// (bottom), columns L (left) and R (right). A regular cell has T = y, B = y + 1,
// L = x, R = x + 1; an odd last column mirrors to L = w - 1, R = w - 2 and an
// odd last row to T = h - 1, B = h - 2, so the same cell rule serves all three.
// Both rows of a pair carry the same pixels.
#pragma once

#include <cstddef>
#include <type_traits>

#include "core/image_view.h"
#include "core/samples.h"
#include "core/stream_copy.h"
#include "methods/block/block_rows.h"
#include "pack/pack_rows.h"

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

// Pixels of a row computed per chunk (even); their values live on the stack.
constexpr size_t kChunk = 256;

// Pixels x0 .. x0 + n - 1 (x0 even) of the row of cells rowT, rowB, as top,
// green and bottom values. An odd n ends at the last column of an odd width.
template <class S, class Corner>
ORVEX_INLINE void CellPixels(const uint8_t* rowT, const uint8_t* rowB, size_t x0, size_t n,
                             uint16_t* t, uint16_t* g, uint16_t* b) {
    auto put = [&](size_t i, const Triple& c) {
        t[i] = static_cast<uint16_t>(c.top);
        g[i] = static_cast<uint16_t>(c.green);
        b[i] = static_cast<uint16_t>(c.bottom);
    };
    size_t i = 0;
    for (; i + 1 < n; i += 2) {
        const Triple c = Corner::template Cell<S>(rowT, rowB, x0 + i, x0 + i + 1);
        put(i, c);
        put(i + 1, c);
    }
    if (i < n) put(i, Corner::template Cell<S>(rowT, rowB, x0 + i, x0 + i - 1));
}

// The chunks of pixels first .. end - 1 of one output row.
template <class S, class Corner>
ORVEX_INLINE void PackCells(const uint8_t* rowT, const uint8_t* rowB, size_t first, size_t end,
                            const PackPlan& pack, const PackRow& row, bool redOnTop) {
    uint16_t t[kChunk], g[kChunk], b[kChunk];
    for (size_t x0 = first; x0 < end; x0 += kChunk) {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        CellPixels<S, Corner>(rowT, rowB, x0, n, t, g, b);
        if (redOnTop)
            pack.Put(row, x0, n, t, g, b);
        else
            pack.Put(row, x0, n, b, g, t);
    }
}

// Copies an output row onto the next from a pixel on, as gapless runs of
// samples: one per plane of a planar layout, one for three-channel pixels;
// none where pixels hold alpha the method does not write.
struct RowCopy {
    size_t runs;
    size_t pixelBytes;  // bytes of one pixel within a run
    size_t width;

    void Duplicate(const PackRow& from, const PackRow& to, size_t first) const {
        for (size_t i = 0; i < runs; ++i)
            CopyRow(to.at[i] + first * pixelBytes, from.at[i] + first * pixelBytes,
                    (width - first) * pixelBytes);
    }
};

// Pixels of a streamed row pair staged at a time.
constexpr size_t kStagedPixels = 1024;

// The cell kernel of one sample width and pattern corner. Always inlined
// into the entry of each instruction set, which compiles it for that set.
template <class S, class Corner>
ORVEX_INLINE void BlockCellsRows(const SourceView& src, const PackPlan& pack, bool redOnTop,
                                 SimdLevel level) {
    const size_t w = src.width, h = src.height;
    // Narrower or shorter than a cell: the odd rules would read outside the mosaic.
    if (w < 2 || h < 2) return;
    const ChannelLayout& layout = pack.Layout();
    const size_t ew = w & ~size_t(1), eh = h & ~size_t(1);
    auto row = [&](size_t i) { return src.data + ptrdiff_t(i) * src.stride; };

    // 8-bit pixels of three or four bytes with green in the middle go
    // through the vector kernels, which write both rows of a pair.
    const bool bytes = S::kBytes == 1 && !layout.planar;
    const size_t firstChannel = layout.r < layout.b ? layout.r : layout.b;
    const bool middleGreen = bytes && layout.g == firstChannel + 1 &&
                             (layout.r == firstChannel + 2 || layout.b == firstChannel + 2);
    const bool topFirst = (redOnTop ? layout.r : layout.b) == firstChannel;
    const BlockRowKernels kernels =
        ChooseBlockRows(level, std::is_same_v<Corner, ColourCorner>, topFirst);
    const KernelChain<BlockPairRowFn> none{};
    const KernelChain<BlockPairRowFn>& vectors = !middleGreen       ? none
                                                 : layout.step == 3 ? kernels.triple
                                                                    : kernels.quad;
    const RowCopy copy{
        layout.planar      ? 3u
        : layout.alpha < 0 ? 1u
                           : 0u,
        layout.planar ? layout.sampleBytes : size_t(layout.sampleBytes) * layout.step, w};
    // Large outputs of three-byte pixels are put together on the stack, a
    // stretch at a time, and streamed into both rows, so no output line is
    // read before it is overwritten; the other rows are bound by their
    // per-sample stores, which staging would only add to.
    const bool streaming =
        middleGreen && layout.step == 3 && !vectors.Empty() && 3 * w * h >= kStreamingOutputBytes;
    for (size_t y = 0; y < eh; y += 2) {
        const uint8_t* rowT = row(y);
        const uint8_t* rowB = row(y + 1);
        const PackRow out = pack.Row(y), below = pack.Row(y + 1);
        if (streaming) {
            alignas(64) uint8_t staged[kStagedPixels * 3];
            for (size_t x0 = 0; x0 < ew; x0 += kStagedPixels) {
                const size_t n = ew - x0 < kStagedPixels ? ew - x0 : kStagedPixels;
                const uint8_t *t = rowT + x0, *b = rowB + x0;
                uint8_t* const stage = staged - firstChannel;
                const size_t x = vectors.Run(0, [&](BlockPairRowFn f, size_t first) {
                    return f(t, b, first, n, staged, staged);
                });
                PackCells<S, Corner>(t, b, x, n, pack, PackPlan::PackedAt(stage), redOnTop);
                StreamCopy(out.at[0] + 3 * x0, staged, 3 * n);
                StreamCopy(below.at[0] + 3 * x0, staged, 3 * n);
            }
            PackCells<S, Corner>(rowT, rowB, ew, w, pack, out, redOnTop);
            PackCells<S, Corner>(rowT, rowB, ew, w, pack, below, redOnTop);
            continue;
        }
        const size_t x = vectors.Run(0, [&](BlockPairRowFn f, size_t first) {
            return f(rowT, rowB, first, ew, out.at[0] + firstChannel, below.at[0] + firstChannel);
        });
        PackCells<S, Corner>(rowT, rowB, x, w, pack, out, redOnTop);
        if (copy.runs != 0)
            copy.Duplicate(out, below, x);
        else
            PackCells<S, Corner>(rowT, rowB, x, w, pack, below, redOnTop);
    }
    if (h & 1) PackCells<S, Corner>(row(h - 1), row(h - 2), 0, w, pack, pack.Row(h - 1), redOnTop);
    if (streaming) StreamFence();
}

}  // namespace
}  // namespace orvex
