// The runs of a fused bilinear row besides its vector interior: pixels
// through the pack stage one site at a time, the widest vector run, and
// the vector kernels over the frame's edge columns.
#pragma once

#include <algorithm>
#include <cstddef>

#include "core/image_view.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/bilinear/bilinear_rows.h"
#include "methods/bilinear/bilinear_sites.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Pixels of a row handled per chunk; their channel values live on the stack.
constexpr size_t kChunk = 256;

// The frame's edge columns next to a row's runs: whether the row's first
// and last frame columns belong to the region (their neighbours read by
// reflection), packed with the run beside them rather than one by one.
struct RowEnds {
    const SourceView& frame;
    size_t y;  // frame row
    bool left, right;
    size_t pixelBytes;  // of the output
};

// Frame pixels x0 .. x0 + count - 1 of an interior row, kFirst at x0 and
// the kinds alternating from there, through the pack stage into region
// pixels x0 - regionX on; with them the edge pixel at x0 - 1 (left) and at
// x0 + count (right) where asked. u, c, d: the frame rows; values: a vector
// kernel of the pixels' channel values (8-bit rows), or null.
template <class S, SiteKind kFirst, SiteKind kSecond>
ORVEX_INLINE void ScalarRun(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                            size_t count, size_t regionX, const PackPlan& pack, const PackRow& row,
                            BilinearValuesFn values, const RowEnds& ends, bool left, bool right) {
    // Room for an edge pixel either side of a chunk.
    uint16_t r[kChunk + 2], g[kChunk + 2], b[kChunk + 2];
    constexpr bool kColourFirst = kFirst == RedSite || kFirst == BlueSite;
    constexpr bool kRed = kFirst == RedSite || kFirst == GreenOnRedRow;
    size_t lead = 0;
    if (left) EdgeSite<S>(ends.frame, u, c, d, x0 - 1, ends.y, r[0], g[0], b[0]), lead = 1;
    // kChunk is even, so every chunk starts with kFirst.
    const size_t end = x0 + count;
    do {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        uint16_t *cr = r + lead, *cg = g + lead, *cb = b + lead;
        // Pairs from pixel i on, one site at a time.
        auto sites = [&](size_t i) {
            for (; i + 1 < n; i += 2) {
                SiteValues<S, kFirst>(u, c, d, x0 + i, cr[i], cg[i], cb[i]);
                SiteValues<S, kSecond>(u, c, d, x0 + i + 1, cr[i + 1], cg[i + 1], cb[i + 1]);
            }
            if (i < n) SiteValues<S, kFirst>(u, c, d, x0 + i, cr[i], cg[i], cb[i]);
        };
        // Without a vector kernel the loop starts at a known 0, as the
        // compiler vectorises it best.
        if (values != nullptr && n != 0)
            sites(values(u, c, d, x0, n, kColourFirst, kRed, cr, cg, cb));
        else
            sites(0);
        size_t m = lead + n;
        if (right && x0 + n == end) {
            EdgeSite<S>(ends.frame, u, c, d, end, ends.y, r[m], g[m], b[m]);
            ++m;
        }
        if (m != 0) pack.Put(row, x0 - lead - regionX, m, r, g, b);
        x0 += n;
        lead = 0;
    } while (x0 < end);
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

// Frame columns at .. at + kTailColumns - 1 of a row at the frame's left
// (at 0) or right edge (ending at its last column) by the widest vector
// kernel, from a copy of the rows with the column beyond the edge
// reflected into it: the kernel's means are then those of the edge sites.
// out: the output pixel of column `at`.
template <class S>
ORVEX_INLINE void EdgeVectors(const KernelChain<BilinearRowFn>& widest, const uint8_t* u,
                              const uint8_t* c, const uint8_t* d, size_t fw, bool right,
                              uint8_t* out) {
    constexpr size_t kE = S::kBytes, kColumns = kTailColumns + 2;
    uint8_t copy[3][kColumns * kE];
    const uint8_t* rows[3] = {u, c, d};
    for (size_t k = 0; k < 3; ++k) {
        uint8_t* to = copy[k];
        // Copy columns: at - 1 .. at + kTailColumns; the one beyond the
        // edge is the column next to the edge sample.
        if (right) {
            std::copy_n(rows[k] + (fw - kColumns + 1) * kE, (kColumns - 1) * kE, to);
            std::copy_n(rows[k] + (fw - 2) * kE, kE, to + (kColumns - 1) * kE);
        } else {
            std::copy_n(rows[k] + kE, kE, to);
            std::copy_n(rows[k], (kColumns - 1) * kE, to + kE);
        }
    }
    widest.Run(0, [&](BilinearRowFn f, size_t from) {
        return f(copy[0] + kE, copy[1] + kE, copy[2] + kE, from, kColumns - 1, out);
    });
}

}  // namespace
}  // namespace orvex
