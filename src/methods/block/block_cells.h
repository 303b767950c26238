// Cell kernels of the block demosaic, included by the file of each
// instruction set that compiles them (portable and AVX2 builds of one body).
//
// Every written triple comes from four mosaic sites: rows T (top) and B
// (bottom), columns L (left) and R (right). A regular cell has T = y, B = y + 1,
// L = x, R = x + 1 for even x, y of the frame; an odd last column's cell
// reflects about the edge sample, L = w - 1, R = w - 2, and an odd last
// row's T = h - 1, B = h - 2 (the frame's one reflection rule), so the
// same cell rule serves all three. Both rows of a pair carry the same
// pixels. A region takes the frame's pixels: its cells stay where the
// frame's are.
#pragma once

#include <cstddef>
#include <type_traits>

#include "core/conversion.h"
#include "core/mirror.h"
#include "core/samples.h"
#include "core/stream_copy.h"
#include "methods/block/block_demosaic.h"
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

// The pixels of `pairs` whole cells from frame column x (even) on. The
// values live on the stack, apart from the mosaic, which the compiler must
// know to vectorise.
template <class S, class Corner>
ORVEX_INLINE void CellPairs(const uint8_t* rowT, const uint8_t* rowB, size_t x, size_t pairs,
                            uint16_t* __restrict t, uint16_t* __restrict g,
                            uint16_t* __restrict b) {
    for (size_t k = 0; k < pairs; ++k) {
        const Triple c = Corner::template Cell<S>(rowT, rowB, x + 2 * k, x + 2 * k + 1);
        t[2 * k] = t[2 * k + 1] = static_cast<uint16_t>(c.top);
        g[2 * k] = g[2 * k + 1] = static_cast<uint16_t>(c.green);
        b[2 * k] = b[2 * k + 1] = static_cast<uint16_t>(c.bottom);
    }
}

// Frame pixels x0 .. x0 + n - 1 of the row of cells rowT, rowB (frame
// columns), as top, green and bottom values; w is the frame's width.
template <class S, class Corner>
ORVEX_INLINE void CellPixels(const uint8_t* rowT, const uint8_t* rowB, size_t x0, size_t n,
                             size_t w, uint16_t* t, uint16_t* g, uint16_t* b) {
    auto put = [&](size_t i, const Triple& c) {
        t[i] = static_cast<uint16_t>(c.top);
        g[i] = static_cast<uint16_t>(c.green);
        b[i] = static_cast<uint16_t>(c.bottom);
    };
    size_t i = 0;
    if (x0 & 1) {  // the right pixel of its cell
        put(0, Corner::template Cell<S>(rowT, rowB, x0 - 1, x0));
        i = 1;
    }
    const size_t pairs = (n - i) / 2;
    CellPairs<S, Corner>(rowT, rowB, x0 + i, pairs, t + i, g + i, b + i);
    i += 2 * pairs;
    if (i < n) {
        const size_t x = x0 + i;  // a left pixel: its pair is outside the chunk or the frame
        put(i, Corner::template Cell<S>(rowT, rowB, x, MirrorIndex(ptrdiff_t(x) + 1, w)));
    }
}

// The chunks of region pixels first .. end - 1 of one output row; the
// region starts at frame column x0.
template <class S, class Corner>
ORVEX_INLINE void PackCells(const uint8_t* rowT, const uint8_t* rowB, size_t x0, size_t w,
                            size_t first, size_t end, const PackPlan& pack, const PackRow& row,
                            bool redOnTop) {
    uint16_t t[kChunk], g[kChunk], b[kChunk];
    for (size_t c = first; c < end; c += kChunk) {
        const size_t n = end - c < kChunk ? end - c : kChunk;
        CellPixels<S, Corner>(rowT, rowB, x0 + c, n, w, t, g, b);
        if (redOnTop)
            pack.Put(row, c, n, t, g, b);
        else
            pack.Put(row, c, n, b, g, t);
    }
}

// Copies an output row onto the next from a pixel on, as gapless runs of
// samples: one per plane of a planar layout, one for pixels without alpha;
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
ORVEX_INLINE void BlockCellsRows(const Conversion& job, const PackPlan& pack,
                                 const BlockCellKernels& cell) {
    const bool redOnTop = cell.redOnTop;
    const BlockRowKernels& kernels = cell.rows;
    const SourceView& src = job.frame;
    const size_t fw = src.width, fh = src.height;
    // Narrower or shorter than a cell: the odd rules would read outside the mosaic.
    if (fw < 2 || fh < 2) return;
    const size_t x0 = job.x, y0 = job.y, w = job.dst.width, h = job.dst.height;
    const ChannelLayout& layout = pack.Layout();
    auto row = [&](size_t i) { return src.Row(i); };

    // Pixels of three samples (8-bit: or four bytes) with green in the
    // middle go through the vector kernels, which write both rows of a pair,
    // cell by cell: the region must start on a cell.
    const DirectPixels direct = pack.Direct(S::kBytes);
    const bool middleGreen = direct.step != 0 && x0 % 2 == 0;
    const KernelChain<BlockPairRowFn> none{};
    const KernelChain<BlockPairRowFn>& vectors = !middleGreen       ? none
                                                 : S::kBytes == 2   ? kernels.triple16
                                                 : layout.step == 3 ? kernels.triple
                                                                    : kernels.quad;
    // Whole cells of the region below the frame's odd last column.
    const size_t cellEnd = (x0 + w < fw ? x0 + w : fw) & ~size_t(1);
    const size_t vectorEnd = cellEnd > x0 ? cellEnd - x0 : 0;
    const bool alphaKept = layout.alpha >= 0 && !job.pack.writeAlpha;
    const bool fillAlpha = middleGreen && layout.step == 4 && !alphaKept && layout.alpha >= 0;
    const RowCopy copy{
        layout.planar ? 3u
        : alphaKept   ? 0u
                      : 1u,
        layout.planar ? layout.sampleBytes : size_t(layout.sampleBytes) * layout.step, w};
    // Large outputs of three-byte pixels are put together on the stack, a
    // stretch at a time, and streamed into both rows, so no output line is
    // read before it is overwritten; the other rows are bound by their
    // per-sample stores, which staging would only add to.
    const bool streaming = middleGreen && S::kBytes == 1 && layout.step == 3 && !vectors.Empty() &&
                           3 * w * h >= StreamingOutputBytes();
    for (size_t y = 0; y < h;) {
        const size_t fy = y0 + y;
        // The cell rows of frame row fy, and whether the next output row
        // shares its pixels.
        const bool oddLast = fy + 1 == fh && fh % 2 == 1;
        const size_t top = oddLast ? fy : fy & ~size_t(1);
        const uint8_t* rowT = row(top);
        const uint8_t* rowB = row(MirrorIndex(ptrdiff_t(top) + 1, fh));
        const bool pair = !oddLast && fy % 2 == 0 && y + 1 < h;
        const PackRow out = pack.Row(job.dst, y), below = pack.Row(job.dst, pair ? y + 1 : y);
        const uint8_t *t = rowT + x0 * S::kBytes, *b = rowB + x0 * S::kBytes;
        if (streaming && pair) {
            alignas(64) uint8_t staged[kStagedPixels * 3];
            for (size_t c0 = 0; c0 < vectorEnd; c0 += kStagedPixels) {
                const size_t n = vectorEnd - c0 < kStagedPixels ? vectorEnd - c0 : kStagedPixels;
                const size_t x = vectors.Run(0, [&](BlockPairRowFn f, size_t first) {
                    return f(t + c0, b + c0, first, n, staged, staged);
                });
                PackCells<S, Corner>(rowT, rowB, x0 + c0, fw, x, n, pack,
                                     PackPlan::PackedAt(staged), redOnTop);
                StreamCopy(out.at[0] + 3 * c0, staged, 3 * n);
                StreamCopy(below.at[0] + 3 * c0, staged, 3 * n);
            }
            PackCells<S, Corner>(rowT, rowB, x0, fw, vectorEnd, w, pack, out, redOnTop);
            PackCells<S, Corner>(rowT, rowB, x0, fw, vectorEnd, w, pack, below, redOnTop);
            y += 2;
            continue;
        }
        const size_t x = vectors.Run(0, [&](BlockPairRowFn f, size_t first) {
            return f(t, b, first, vectorEnd, out.at[0] + direct.first * S::kBytes,
                     below.at[0] + direct.first * S::kBytes);
        });
        // The four-byte kernels leave alpha alone: where the call writes it,
        // it follows them.
        if (fillAlpha)
            for (size_t i = 0; i < x; ++i) {
                out.at[0][4 * i + size_t(layout.alpha)] = uint8_t(job.pack.alpha);
                below.at[0][4 * i + size_t(layout.alpha)] = uint8_t(job.pack.alpha);
            }
        PackCells<S, Corner>(rowT, rowB, x0, fw, x, w, pack, out, redOnTop);
        if (pair) {
            if (copy.runs != 0)
                copy.Duplicate(out, below, x);
            else
                PackCells<S, Corner>(rowT, rowB, x0, fw, x, w, pack, below, redOnTop);
        }
        y += pair ? 2 : 1;
    }
    if (streaming) StreamFence();
}

}  // namespace
}  // namespace orvex
