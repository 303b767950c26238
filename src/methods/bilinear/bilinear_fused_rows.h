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
#include "methods/bilinear/bilinear_rows.h"
#include "methods/bilinear/bilinear_sites.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Pixels of a row handled per chunk; their channel values live on the stack.
constexpr size_t kChunk = 256;

// Frame pixels x0 .. x0 + count - 1 of an interior row, kFirst at x0 and
// the kinds alternating from there, through the pack stage into region
// pixels x0 - regionX on. u, c, d: the frame rows; values: a vector kernel
// of the pixels' channel values (8-bit rows), or null.
template <class S, SiteKind kFirst, SiteKind kSecond>
ORVEX_INLINE void ScalarRun(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                            size_t count, size_t regionX, const PackPlan& pack, const PackRow& row,
                            BilinearValuesFn values) {
    uint16_t r[kChunk], g[kChunk], b[kChunk];
    constexpr bool kColourFirst = kFirst == RedSite || kFirst == BlueSite;
    constexpr bool kRed = kFirst == RedSite || kFirst == GreenOnRedRow;
    // kChunk is even, so every chunk starts with kFirst.
    for (const size_t end = x0 + count; x0 < end; x0 += kChunk) {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        // Pairs from pixel i on, one site at a time.
        auto sites = [&](size_t i) {
            for (; i + 1 < n; i += 2) {
                SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
                SiteValues<S, kSecond>(u, c, d, x0 + i + 1, r[i + 1], g[i + 1], b[i + 1]);
            }
            if (i < n) SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
        };
        // Without a vector kernel the loop starts at a known 0, as the
        // compiler vectorises it best.
        if (values != nullptr)
            sites(values(u, c, d, x0, n, kColourFirst, kRed, r, g, b));
        else
            sites(0);
        pack.Put(row, x0 - regionX, n, r, g, b);
    }
}

// Columns of the widest vector step of any row kernel (64, AVX-512's
// opaque pixels); every kernel's step divides it.
constexpr size_t kTailColumns = 64;

// The vector kernels over region columns from .. (their reads below
// `width`), into `out` by the kernel chain, or, where `stream` is not null,
// from the first column whose pixel starts a 64-byte line of the row by
// streaming stores: the chain's first step writes the columns before it
// (and a few of the streamed ones, the same values), and the chain the
// columns its steps leave. Returns the first column left. u, c, d: the
// region rows' column 0.
ORVEX_INLINE size_t VectorRun(const KernelChain<BilinearRowFn>& vectors, BilinearRowFn stream,
                              const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t from,
                              size_t width, uint8_t* out) {
    auto chain = [&](size_t x, size_t limit) {
        return vectors.Run(x,
                           [&](BilinearRowFn f, size_t at) { return f(u, c, d, at, limit, out); });
    };
    if (stream == nullptr) return chain(from, width);
    // Four-byte pixels: a line every 16 columns, at even columns where the
    // row starts on an 8-byte boundary.
    const size_t line = (64 - uintptr_t(out + 4 * from) % 64) % 64 / 4;
    const size_t aligned = from + line;
    if (uintptr_t(out) % 8 != 0 || aligned + kTailColumns + 1 > width) return chain(from, width);
    size_t x = line == 0 ? from : chain(from, std::min(width, from + kTailColumns + 1));
    if (x < aligned) return x;
    x = std::max(x, stream(u, c, d, aligned, width, out));
    return chain(x, width);
}

// Frame columns first .. end - 1 of an interior row: kinds kOdd at odd
// frame columns, kEven at even ones. Packed RGB / BGR pixels, of three or
// four bytes, go through the vector kernels, which work in region columns
// from 2 on (their reads reach one column either side); vectorOut is the
// region row's first channel byte; stream: see VectorRun.
template <class S, SiteKind kOdd, SiteKind kEven>
ORVEX_INLINE void FusedRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                           size_t end, size_t regionX, const PackPlan& pack, const PackRow& row,
                           const KernelChain<BilinearRowFn>& vectors, uint8_t* vectorOut,
                           BilinearValuesFn values, BilinearRowFn stream) {
    size_t x = first;
    if (!vectors.Empty()) {
        const size_t offset = regionX * S::kBytes;
        size_t start = first - regionX < 2 ? 2 : first - regionX;
        start += start & 1;
        const size_t next = VectorRun(vectors, stream, u + offset, c + offset, d + offset, start,
                                      end - regionX + 1, vectorOut);
        if (next > start) {
            const size_t head = regionX + start - first;
            if (first & 1)
                ScalarRun<S, kOdd, kEven>(u, c, d, first, head, regionX, pack, row, values);
            else
                ScalarRun<S, kEven, kOdd>(u, c, d, first, head, regionX, pack, row, values);
            x = regionX + next;
            // The columns the vectors' steps leave: one more run from
            // kTailColumns before the row's last column (a multiple of every
            // kernel's step) ends within a column of it; the pixels it writes
            // again get the values they hold.
            const size_t width = end - regionX + 1;
            if (width - next > 2 && width >= start + kTailColumns + 1) {
                const size_t back = (width - 1 - kTailColumns) & ~size_t(1);
                const size_t tail = vectors.Run(back, [&](BilinearRowFn f, size_t from) {
                    return f(u + offset, c + offset, d + offset, from, width, vectorOut);
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
                            uint8_t*, BilinearValuesFn, BilinearRowFn);

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
    for (size_t y = 0; y < h; ++y) {
        const size_t fy = y0 + y;
        const PackRow row = pack.Row(job.dst, y);
        const bool interiorRow = fy >= 1 && fy + 1 < fh;
        if (interiorRow && first < end) {
            const uint8_t* c = f.Row(fy);
            combos[rowCombos[fy & 1]](c - f.stride, c, c + f.stride, first, end, x0, pack, row,
                                      vectors[fy & 1], row.at[0] + offset, values,
                                      kernels.streams[fy & 1]);
            if (fillAlpha)
                for (size_t x = first - x0; x < end - x0; ++x)
                    row.at[0][4 * x + size_t(layout.alpha)] = uint8_t(job.pack.alpha);
        }
        if (!job.reflectEdges) continue;
        if (!interiorRow || first >= end) {
            EdgeRun<S>(f, fy, x0, w, x0, pack, row);
            continue;
        }
        // The first and last columns of an interior row.
        const uint8_t* c = f.Row(fy);
        uint16_t r, g, b;
        if (x0 == 0) {
            EdgeSite<S>(f, c - f.stride, c, c + f.stride, 0, fy, r, g, b);
            pack.Put(row, 0, 1, &r, &g, &b);
        }
        if (x0 + w == fw) {
            EdgeSite<S>(f, c - f.stride, c, c + f.stride, fw - 1, fy, r, g, b);
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
                    BilinearValuesFn values, BilinearRowFn stream) {                          \
        FusedRow<S, kOdd, kEven>(u, c, d, first, end, regionX, pack, row, vectors, vectorOut, \
                                 values, stream);                                             \
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
