// Fused form of the bilinear demosaic, included by the file of each build
// that compiles it (portable and AVX2 builds of one body): each interior row
// is one pass over its two alternating site kinds. Every pixel is written
// once from the same neighbours and means as in the four phase passes of the
// plain form (kept with the tests), so the order of the writes does not
// change the result.
#pragma once

#include <algorithm>
#include <cstddef>

#include "core/conversion.h"
#include "core/image_view.h"
#include "core/mirror.h"
#include "core/samples.h"
#include "core/stream_copy.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/bilinear/bilinear_row_runs.h"
#include "methods/bilinear/bilinear_rows.h"
#include "methods/bilinear/bilinear_sites.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// The edge kernels of a row (BilinearRowKernels::edges), or null.
struct RowEdges {
    BilinearEdgeFn left, right;
    size_t rightAt;  // region column of the right one
};

// Frame columns first .. end - 1 of a row with rows u and d above and
// below it: kinds kOdd at odd frame columns, kEven at even ones; with them
// the frame's edge columns where `edges` has their kernels. Packed RGB / BGR
// pixels, of three or four bytes, go through the vector kernels, which
// work in region columns from 2 on (their reads reach one column either
// side); vectorOut is the region row's first channel byte; stream: see
// VectorRun.
template <class S, SiteKind kOdd, SiteKind kEven>
ORVEX_INLINE void FusedRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                           size_t end, size_t regionX, const PackPlan& pack, const PackRow& row,
                           const KernelChain<BilinearRowFn>& vectors, uint8_t* vectorOut,
                           BilinearValuesFn values, BilinearRowFn stream, const RowEdges& edges) {
    size_t x = first;
    if (!vectors.Empty()) {
        const size_t offset = regionX * S::kBytes;
        const uint8_t *ur = u + offset, *cr = c + offset, *dr = d + offset;
        size_t start = first - regionX < 2 ? 2 : first - regionX;
        start += start & 1;
        const size_t width = end - regionX + 1;
        // Rows that hold a last run of kTailColumns take the widest kernel
        // alone up to it: that run writes the columns the narrower ones
        // would. Streamed rows keep the whole chain: with the widest alone
        // 4096x3072 frames into BGRx took about 1.06 x the CPU time.
        const bool tailRun = width >= start + kTailColumns + 1;
        if (edges.left != nullptr) edges.left(ur, cr, dr, 0, vectorOut);
        const size_t from = edges.left != nullptr ? kEdgeColumns : start;
        const size_t next = VectorRun(tailRun && stream == nullptr ? vectors.Widest() : vectors,
                                      stream, ur, cr, dr, from, width, vectorOut);
        if (next > from || edges.left != nullptr || edges.right != nullptr) {
            // The columns before the vectors' first (the left edge kernel's
            // where there is one).
            const size_t head = regionX + start - first;
            if (edges.left == nullptr && (first & 1))
                ScalarRun<S, kOdd, kEven>(u, c, d, first, head, regionX, pack, row, values);
            else if (edges.left == nullptr)
                ScalarRun<S, kEven, kOdd>(u, c, d, first, head, regionX, pack, row, values);
            // The right edge kernel writes the columns from where a run of
            // the widest kernel no longer fits to the row's end.
            if (edges.right != nullptr) {
                edges.right(ur, cr, dr, edges.rightAt, vectorOut);
                return;
            }
            x = regionX + next;
            // The columns the vectors' steps leave: one more run from
            // kTailColumns before the row's last column (a multiple of every
            // kernel's step) ends within a column of it; the pixels it writes
            // again get the values they hold.
            if (width - next > 2 && tailRun) {
                const size_t back = (width - 1 - kTailColumns) & ~size_t(1);
                const size_t tail = vectors.Run(back, [&](BilinearRowFn f, size_t at) {
                    return f(ur, cr, dr, at, width, vectorOut);
                });
                if (tail > next) x = regionX + tail;
            }
        }
    }
    if (x >= end) return;
    if (x & 1)
        ScalarRun<S, kOdd, kEven>(u, c, d, x, end - x, regionX, pack, row, values);
    else
        ScalarRun<S, kEven, kOdd>(u, c, d, x, end - x, regionX, pack, row, values);
}

// Frame pixels x0 .. x0 + count - 1 of row y at the frame's edges, their
// neighbours read by reflection, into region pixels x0 - regionX on.
template <class S>
void EdgeRun(const SourceView& f, size_t y, size_t x0, size_t count, size_t regionX,
             const PackPlan& pack, const PackRow& row) {
    uint16_t r[kChunk], g[kChunk], b[kChunk];
    const uint8_t* rows[3];
    for (ptrdiff_t dy = -1; dy <= 1; ++dy)
        rows[dy + 1] = f.Row(MirrorIndex(ptrdiff_t(y) + dy, f.height));
    for (const size_t end = x0 + count; x0 < end; x0 += kChunk) {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        for (size_t i = 0; i < n; ++i)
            EdgeSite<S>(f, rows[0], rows[1], rows[2], x0 + i, y, r[i], g[i], b[i]);
        pack.Put(row, x0 - regionX, n, r, g, b);
    }
}

// The vector kernels' view of each kind order (colour sites at even frame
// columns or odd ones).
constexpr BilinearRowKinds kComboKinds[4] = {
    {false, false}, {false, true}, {true, true}, {true, false}};

// Kind order of the odd and of the even frame rows, by pattern.
constexpr uint8_t kRowCombos[4][2] = {
    {2, 0},  // RGGB: even rows G on R row / R, odd rows B / G on B row
    {3, 1},  // GRBG
    {0, 2},  // GBRG
    {1, 3},  // BGGR
};

using FusedRowFn = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, size_t, size_t, size_t,
                            const PackPlan&, const PackRow&, const KernelChain<BilinearRowFn>&,
                            uint8_t*, BilinearValuesFn, BilinearRowFn, const RowEdges&);

// The region's rows; combos: the row kernels of the four kind orders.
template <class S>
ORVEX_INLINE void FusedRows(const FusedRowFn (&combos)[4], const Conversion& job,
                            const PackPlan& pack, const BilinearRowKernels& kernels) {
    const SourceView& f = job.frame;
    const size_t fw = f.width, fh = f.height;
    const size_t x0 = job.x, y0 = job.y, w = job.dst.width, h = job.dst.height;
    if (f.pattern > kBggr || fw < 2 || fh < 2) return;
    const ChannelLayout& layout = pack.Layout();
    const uint8_t* rowCombos = kRowCombos[f.pattern];
    const KernelChain<BilinearRowFn>* vectors = kernels.vectors;
    const BilinearValuesFn values = kernels.values;
    const bool fillAlpha = kernels.fillAlpha;
    const size_t offset = kernels.offset;
    // Frame columns with both neighbours inside the frame.
    const size_t first = x0 == 0 ? 1 : x0, end = x0 + w < fw ? x0 + w : fw - 1;
    const RowEdges rowEdges[2] = {{kernels.edges[0][0], kernels.edges[0][1], kernels.rightEdgeAt},
                                  {kernels.edges[1][0], kernels.edges[1][1], kernels.rightEdgeAt}};
    for (size_t y = 0; y < h; ++y) {
        const size_t fy = y0 + y;
        const PackRow row = pack.Row(job.dst, y);
        const bool interiorRow = fy >= 1 && fy + 1 < fh;
        if (!interiorRow && !job.reflectEdges) continue;
        if (first >= end) {
            if (job.reflectEdges) EdgeRun<S>(f, fy, x0, w, x0, pack, row);
            continue;
        }
        // The frame's first and last rows take the interior rows' path with
        // the rows beyond them reflected: only their edge columns need the
        // edge sites' reflection.
        const uint8_t* c = f.Row(fy);
        const uint8_t* u = interiorRow ? c - f.stride : f.Row(MirrorIndex(ptrdiff_t(fy) - 1, fh));
        const uint8_t* d = interiorRow ? c + f.stride : f.Row(MirrorIndex(ptrdiff_t(fy) + 1, fh));
        const RowEdges& edges = rowEdges[fy & 1];
        combos[rowCombos[fy & 1]](u, c, d, first, end, x0, pack, row, vectors[fy & 1],
                                  row.at[0] + offset, values, kernels.streams[fy & 1], edges);
        if (fillAlpha)
            for (size_t x = first - x0; x < end - x0; ++x)
                row.at[0][4 * x + size_t(layout.alpha)] = uint8_t(job.pack.alpha);
        if (!job.reflectEdges) continue;
        // The first and last columns the edge kernels left.
        uint16_t r, g, b;
        if (x0 == 0 && edges.left == nullptr) {
            EdgeSite<S>(f, u, c, d, 0, fy, r, g, b);
            pack.Put(row, 0, 1, &r, &g, &b);
        }
        if (x0 + w == fw && edges.right == nullptr) {
            EdgeSite<S>(f, u, c, d, fw - 1, fy, r, g, b);
            pack.Put(row, fw - 1 - x0, 1, &r, &g, &b);
        }
    }
    // Streaming stores are ordered before anything else reads the rows.
    if (kernels.streams[0] != nullptr || kernels.streams[1] != nullptr) StreamFence();
}

}  // namespace

// The kernels of one build (portable or an instruction set's target): row
// kernels for the four kind orders, and the drivers of both sample widths.
#define ORVEX_BILINEAR_FUSED_SET(Name, TARGET)                                                \
    namespace {                                                                               \
    template <class S, SiteKind kOdd, SiteKind kEven>                                         \
    TARGET void Row(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,       \
                    size_t end, size_t regionX, const PackPlan& pack, const PackRow& row,     \
                    const KernelChain<BilinearRowFn>& vectors, uint8_t* vectorOut,            \
                    BilinearValuesFn values, BilinearRowFn stream, const RowEdges& edges) {   \
        FusedRow<S, kOdd, kEven>(u, c, d, first, end, regionX, pack, row, vectors, vectorOut, \
                                 values, stream, edges);                                      \
    }                                                                                         \
    /* The two kinds of a row always come in one of four orders. */                           \
    template <class S>                                                                        \
    constexpr FusedRowFn kCombos[4] = {                                                       \
        Row<S, BlueSite, GreenOnBlueRow>, Row<S, GreenOnBlueRow, BlueSite>,                   \
        Row<S, GreenOnRedRow, RedSite>, Row<S, RedSite, GreenOnRedRow>};                      \
    template <class S>                                                                        \
    TARGET void Rows(const Conversion& job, const PackPlan& pack,                             \
                     const BilinearRowKernels& kernels) {                                     \
        FusedRows<S>(kCombos<S>, job, pack, kernels);                                         \
    }                                                                                         \
    }                                                                                         \
    extern const BilinearFusedSet Name = {Rows<Sample8>, Rows<Sample16>};

}  // namespace orvex
