// The passes of the residual-interpolation demosaic, included by the file
// of each build that compiles them (portable, AVX2 and AVX-512 builds of one
// body).
//
// A band is converted in column tiles of at most kRiTileColumns, each
// tile's window running down the whole band and reaching kRiMargin samples
// beyond it on every side (by reflection about the frame's edge sample where
// the frame ends), so rows are computed for a tile's margins only at the
// band's ends. The column differences run a chunk of kRiChunkRows rows
// ahead, along blocks of columns side by side; every other stage runs a row
// at a time, each a few rows behind the one it reads, its rows in rings, so
// what a row reads is still in cache. Only the samples, the column
// differences and green are planes, of kRiPlaneRows rows that move up as the
// rows are done. A pixel depends on the samples within kRiReach of it and
// nothing else, so chunks, tiles, bands and regions give the same bytes;
// every value is computed with the same operations in the same order
// whatever the vector width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/mirror.h"
#include "methods/ri/ri_block_lines.h"
#include "methods/ri/ri_colour.h"
#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_green.h"
#include "methods/ri/ri_lines.h"
#include "methods/ri/ri_residuals.h"
#include "methods/ri/ri_row_passes.h"
#include "methods/ri/ri_share.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// The rings of a strip: the row differences, the green stage's, the colour
// statistics' four, each colour's four, the colour's sites of each row and
// the residuals' directions.
inline constexpr size_t kRiRings = 1 + kRiGreenRings + 4 + 2 * 4 + 2 + 5;

struct RiPlanes {
    float *m, *dv, *g;  // whole planes of the window
    float* ring;        // kRiRings rings of kRiRingRows rows
    float *red, *blue;  // a row of each colour
    float* rows;        // scratch rows
    uint16_t* out;
};

// Columns whose differences are taken side by side: one vector of the widest
// set, a few of the narrower ones, a cache line.
inline constexpr size_t kRiColumnBlock = kRiLineFloats;

// Scratch rows of a window w wide: a row's line scratch, a column block's
// rings, or the green stage's five rows; each with two cache lines of slack,
// which the AVX-512 blocks along a row read beyond a row's end.
inline size_t RiRowFloats(size_t w) {
    return kRiLineRows * (std::max(w, kRiColumnBlock * kRiLineSteps) + 2 * kRiLineFloats);
}

// Rows the planes of a window of h rows hold.
inline size_t RiPlaneRows(size_t h) {
    return std::min(kRiPlaneRows, h);
}

// The width of the window of a tile n columns wide: the tile, its margins
// and the columns up to a whole cache line.
inline size_t RiWindowWidth(size_t n) {
    return (n + 2 * kRiMargin + kRiLineFloats - 1) & ~(kRiLineFloats - 1);
}

// Floats of a window of w x h: the planes, the rings, two colour rows, the
// scratch rows and three rows of samples, and the floats before the first
// cache line of the memory.
inline size_t RiPlaneFloats(size_t w, size_t h) {
    const size_t rows = RiPlaneRows(h);
    return 3 * w * rows + (kRiRings * kRiRingRows + 2) * w + RiRowFloats(w) +
           (3 * (w - 2 * kRiMargin) + 1) / 2 + 1 + kRiLineFloats - 1;
}

// The first cache line of a window's memory.
inline float* RiLineStart(float* p) {
    const uintptr_t line = kRiLineFloats * sizeof(float);
    return reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(p) + line - 1) & ~(line - 1));
}

// floor(v + 0.5) limited to 0 .. limit.
ORVEX_INLINE uint16_t RiSample(float v, float limit) {
    return uint16_t(int32_t(RiClip(std::floor(v + 0.5f), limit)));
}

// The column differences of n rows of the window's samples m (its first
// row's green parity `green`) into dv, a block of columns side by side at a
// time, read and written in the planes: the blocks are the cache lines from
// the one holding column 18 to the one holding column w - 19, the columns
// the later stages read.
template <class P>
ORVEX_INLINE void RiColumnChunk(const RiWindow& win, const float* m, size_t n, size_t green,
                                float* rings, float* dv) {
    const size_t w = win.w;
    constexpr size_t B = kRiColumnBlock;
    for (size_t x = 18 & ~(B - 1); x + 18 < w; x += B)
        P::ColumnLines(win, m + x, n, (green + x) & 1, rings, dv + x);
}
using RiChunkFn = void (*)(const RiWindow& win, const float* m, size_t n, size_t green,
                           float* rings, float* dv);

template <class S, class P>
ORVEX_INLINE void RiTile(const Conversion& job, const RiPlanes& p, RiWindow win, ptrdiff_t left,
                         ptrdiff_t top, size_t first, size_t width, const PackPlan& pack,
                         RiChunkFn chunk) {
    const SourceView& f = job.frame;
    const size_t w = win.w, h = win.h;
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    win.greenParity = size_t(1 + top + left + ptrdiff_t(redRow + redColumn)) & 1;
    RiRing ring[kRiRings];
    for (size_t k = 0; k < kRiRings; ++k) ring[k] = {p.ring + k * kRiRingRows * w, w};
    const RiRing& dh = ring[0];
    const RiGreenRings gr{ring[1],  {ring[2], ring[3], ring[4]},
                          ring[5],  ring[6],
                          ring[7],  ring[8],
                          ring[9],  ring[10],
                          ring[11], ring[12],
                          ring[13], ring[14]};
    const RiRing* sums = ring + 1 + kRiGreenRings;
    // Red sites: column parity (left + x) & 1 == redColumn, row likewise.
    const size_t rx = size_t(ptrdiff_t(redColumn) - left) & 1,
                 ry = size_t(ptrdiff_t(redRow) - top) & 1;
    const RiRing* c = sums + 4;
    const RiColourRings red{c[0], c[1], c[2], c[3], rx, ry};
    const RiColourRings blue{c[4], c[5], c[6], c[7], 1 - rx, 1 - ry};
    const RiColourSites sites{c[8], c[9]};
    const RiResidualRings directions{c[10], c[11], c[12], c[13], c[14]};
    // The column parity of the colour of row y.
    auto columns = [rx, ry](size_t y) { return (y & 1) == ry ? rx : 1 - rx; };
    const float limit = win.limit;
    uint16_t *rr = p.out, *gg = rr + width, *bb = gg + width;
    // The planes hold the window's rows [base, base + kRiPlaneRows); a stage
    // is given its row's place in them, which keeps its ring slot and parity
    // since base is a whole number of rings.
    size_t base = 0, loaded = 0, differenced = 12;
    // Every stage a row at a time, each as far behind the newest row y as
    // the rows it reads reach ahead of its own.
    auto within = [h](size_t row, size_t edge) { return row >= edge && row + edge < h; };
    for (size_t y = 0; y < h;) {
        // The column differences to row y + 4, the furthest this row's
        // stages read, a chunk of rows at a time; the chunk reads 12 rows of
        // samples either side.
        if (differenced < std::min(y + 5, h - 12)) {
            const size_t end = std::min(differenced + kRiChunkRows, h - 12);
            if (end + 12 - base > kRiPlaneRows) {
                // Keep the rows from y - 12, the oldest the stages still read.
                const size_t keep = (y - 12) & ~(kRiRingRows - 1);
                const size_t from = (keep - base) * w, count = (loaded - keep) * w;
                for (float* plane : {p.m, p.dv, p.g})
                    std::copy(plane + from, plane + from + count, plane);
                base = keep;
            }
            // Each row's samples are asked of the cache eight rows before they
            // are read: asked for earlier, a chunk ahead, they were evicted
            // again by the rows' stages before the chunk came to them.
            for (; loaded < end + 12; ++loaded) {
                if (loaded + 8 < h) PrefetchMirroredRow<S>(f, top + ptrdiff_t(loaded + 8), left, w);
                LoadMirroredRow<S>(f, top + ptrdiff_t(loaded), left, w, p.m + (loaded - base) * w);
            }
            const size_t r0 = differenced - 12, at = (r0 - base) * w;
            chunk(win, p.m + at, end - r0 + 12, (win.greenParity + r0) & 1, p.rows, p.dv + at);
            differenced = end;
        }
        // The rows whose stages read no further than the differences taken
        // (the column stage's call kept out of their loop).
        const size_t stop = differenced < h - 12 ? differenced - 4 : h;
        for (; y < stop; ++y) {
            const size_t at = y - base;
            if (within(y, 18)) {
                P::Lines(win, p.m + at * w, (win.greenParity + y) & 1, p.rows, dh[at]);
                P::Gradients(win, dh[at], p.m + at * w, gr, p.rows, at);
            }
            // Green's column terms at row y, and their quad sums at y - 3
            // (rows y - 3 .. y) from the fourth row on; the share's column
            // gradients at y - 1, and their quad sums at y - 4 from the
            // fourth row on.
            if (within(y, 16)) {
                const int detail = within(y - 1, 17) ? (y >= 21 ? 2 : 1) : 0;
                P::GreenColumns(win, p.dv, p.m, gr, at, y >= 19, detail);
            }
            if (y < 4 || !within(y - 4, 20)) continue;
            const size_t yg = at - 4;
            P::Fuse(win, p.m, dh[yg], p.dv, gr, p.rows, p.g, yg);
            RiColourSitesRow(win, p.m, p.g, columns(yg), sites, yg);
            // The colour's Laplacians read green two rows ahead.
            const size_t yl = yg - 2;
            if (within(yl + base, 22)) P::ColourRowSums(win, sites, columns(yl), sums, p.rows, yl);
            // Each row is one colour's: its windows' coefficients.
            const size_t yc = yl - 2;
            if (within(yc + base, 24))
                P::ColourCoefficients(win, sums, (yc & 1) == ry ? red : blue, p.rows, yc);
            const size_t ym = yc - 2;
            // Green's variations, and the residuals' weights a row behind.
            const size_t yd = ym - 1;
            if (within(ym + base, 26)) {
                for (const RiColourRings* c : {&red, &blue}) P::ColourMeans(win, p.m, p.g, *c, ym);
                P::Directions(win, p.g, directions, p.rows, ym, within(yd + base, 27));
            }
            // The residuals at the sites diagonal to the colour whose row
            // it is not.
            if (within(yd + base, 27))
                P::ColourDiagonals(win, (yd & 1) == ry ? blue : red, directions.weight[yd], yd);
            const size_t yo = yd - 1;
            if (!within(yo + base, kRiMargin)) continue;
            P::ColourRow(win, p.m, red, directions.weight[yo], p.red, yo);
            P::ColourRow(win, p.m, blue, directions.weight[yo], p.blue, yo);
            const float *r = p.red + kRiMargin, *g = p.g + yo * w + kRiMargin,
                        *b = p.blue + kRiMargin;
            ORVEX_RI_IVDEP
            for (size_t x = 0; x < width; ++x) {
                rr[x] = RiSample(r[x], limit);
                gg[x] = RiSample(g[x], limit);
                bb[x] = RiSample(b[x], limit);
            }
            pack.Put(pack.Row(job.dst, size_t(top) + base + yo - job.y), first, width, rr, gg, bb);
        }
    }
}

template <class S, class P>
ORVEX_INLINE void RiRows(const Conversion& job, RiMemory& memory, const PackPlan& pack,
                         RiChunkFn chunk) {
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const size_t width = job.dst.width, height = job.dst.height;
    const size_t tiles = (width + kRiTileColumns - 1) / kRiTileColumns;
    for (size_t k = 0; k < tiles; ++k) {
        const size_t first = width * k / tiles, end = width * (k + 1) / tiles;
        RiWindow win{};
        win.w = RiWindowWidth(end - first);
        win.h = height + 2 * kRiMargin;
        win.limit = float(job.maxValue);
        win.floor = win.limit * win.limit * 1e-6f;
        win.varFloor = win.limit * win.limit * 1.5e-10f;
        win.gradientFloor = 1e-10f / (255.0f * 255.0f);
        float* q = RiLineStart(memory.planes.data());
        const size_t n = win.w * RiPlaneRows(win.h);
        RiPlanes p{};
        for (float** plane : {&p.m, &p.dv, &p.g}) *plane = q, q += n;
        p.ring = q;
        q += kRiRings * kRiRingRows * win.w;
        p.red = q, p.blue = q + win.w;
        q += 2 * win.w;
        p.rows = q;
        q += RiRowFloats(win.w);
        p.out = reinterpret_cast<uint16_t*>(q);
        RiTile<S, P>(job, p, win, ptrdiff_t(job.x + first) - ptrdiff_t(kRiMargin),
                     ptrdiff_t(job.y) - ptrdiff_t(kRiMargin), first, end - first, pack, chunk);
    }
}

}  // namespace
}  // namespace orvex

#if defined(__GNUC__)
#define ORVEX_RI_APART __attribute__((noinline))
#else
#define ORVEX_RI_APART
#endif

// The passes of one build (portable or an instruction set's target), its
// passes along a row PASSES (RiRowPasses or kernels of the build's own). The
// column differences are a function of their own: inlined into the tile's
// pass, with all its other stages' pointers live, their loop ran short of
// registers.
#define ORVEX_RI_SET(Name, TARGET, PASSES)                                                        \
    namespace {                                                                                   \
    TARGET ORVEX_RI_APART void Chunk(const RiWindow& win, const float* m, size_t n, size_t green, \
                                     float* rings, float* dv) {                                   \
        RiColumnChunk<PASSES>(win, m, n, green, rings, dv);                                       \
    }                                                                                             \
    template <class S>                                                                            \
    TARGET void Rows(const Conversion& job, RiMemory& memory, const PackPlan& pack) {             \
        RiRows<S, PASSES>(job, memory, pack, Chunk);                                              \
    }                                                                                             \
    }                                                                                             \
    extern const RiSet Name = {Rows<Sample8>, Rows<Sample16>};
