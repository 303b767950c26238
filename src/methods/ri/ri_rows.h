// The passes of the residual-interpolation demosaic, included by the file
// of each build that compiles them (portable, AVX2 and AVX-512 builds of one
// body).
//
// A band is converted in strips of kRiStripRows rows and column tiles of at
// most kRiTileColumns; each strip's window reaches kRiMargin samples beyond
// it on every side (by reflection about the frame's edge sample where the
// frame ends). The row differences run along each row, the column
// differences along blocks of columns side by side, so either's scratch
// stays in cache. A pixel depends on the samples within kRiReach of it and nothing
// else, so strips, tiles, bands and regions give the same bytes; every value
// is computed with the same operations in the same order whatever the
// vector width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/mirror.h"
#include "methods/ri/ri_colour.h"
#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_green.h"
#include "methods/ri/ri_lines.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// The planes of a strip's window.
inline constexpr size_t kRiWorkPlanes = 10, kRiPlanes = 6 + kRiWorkPlanes;

struct RiPlanes {
    float *m, *dh, *dv, *g, *red, *blue;
    float* work[kRiWorkPlanes];
    float* rows;  // scratch rows
    uint16_t* out;
};

// Columns whose differences are taken side by side: one vector of the widest
// set, a few of the narrower ones.
inline constexpr size_t kRiColumnBlock = 16;

// Scratch rows of a window of w x h: a row's or a column block's line
// scratch (and the block's samples and differences), or the green stage's
// six rows.
inline size_t RiRowFloats(size_t w, size_t h) {
    return kRiLineRows * std::max(w, kRiColumnBlock * h) + 2 * kRiColumnBlock * h;
}

// Floats of one strip: the planes, the scratch rows and three rows of
// samples.
inline size_t RiPlaneFloats(size_t w, size_t h) {
    return kRiPlanes * w * h + RiRowFloats(w, h) + (3 * (w - 2 * kRiMargin) + 1) / 2 + 1;
}

// floor(v + 0.5) limited to 0 .. limit.
ORVEX_INLINE uint16_t RiSample(float v, float limit) {
    const float q = std::floor(v + 0.5f);
    return uint16_t(q < 0 ? 0 : q > limit ? limit : q);
}

template <class S>
ORVEX_INLINE void RiStrip(const Conversion& job, const RiPlanes& p, RiWindow win, ptrdiff_t left,
                          ptrdiff_t top, size_t first, size_t width, size_t rows,
                          const PackPlan& pack) {
    const SourceView& f = job.frame;
    const size_t w = win.w, h = win.h;
    for (size_t y = 0; y < h; ++y) LoadMirroredRow<S>(f, top + ptrdiff_t(y), left, w, p.m + y * w);
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    win.greenParity = size_t(1 + top + left + ptrdiff_t(redRow + redColumn)) & 1;
    // Differences along the rows the green stage reads, then along its
    // columns, a block of them side by side (the last block may overlap the
    // one before, which writes the same values again).
    for (size_t y = 18; y + 18 < h; ++y)
        RiLines<1>(p.m + y * w, w, (win.greenParity + y) & 1, win.limit, win.floor, win.fitFloor,
                   p.rows, p.dh + y * w);
    constexpr size_t B = kRiColumnBlock;
    float* block = p.rows + kRiLineRows * std::max(w, B * h);
    float* blockDiff = block + B * h;
    for (size_t x = 18; x + 18 < w; x += B) {
        const size_t x0 = std::min(x, w - B);
        for (size_t y = 0; y < h; ++y) std::copy_n(p.m + y * w + x0, B, block + y * B);
        RiLines<B>(block, h, (win.greenParity + x0) & 1, win.limit, win.floor, win.fitFloor, p.rows,
                   blockDiff);
        for (size_t y = 12; y + 12 < h; ++y) std::copy_n(blockDiff + y * B, B, p.dv + y * w + x0);
    }
    RiGreen(win, p.m, p.dh, p.dv, p.work, p.rows, p.g);
    // Red sites: column parity (left + x) & 1 == redColumn, row likewise.
    const size_t rx = size_t(ptrdiff_t(redColumn) - left) & 1,
                 ry = size_t(ptrdiff_t(redRow) - top) & 1;
    RiColourRowSums(win, p.m, p.g, ry, rx, p.work, p.rows);
    RiColour(win, p.m, p.g, p.work, rx, ry, p.work + 4, p.red);
    RiColour(win, p.m, p.g, p.work, 1 - rx, 1 - ry, p.work + 4, p.blue);
    const float limit = win.limit;
    uint16_t *rr = p.out, *gg = rr + width, *bb = gg + width;
    for (size_t y = 0; y < rows; ++y) {
        const size_t at = (y + kRiMargin) * w + kRiMargin;
        const float *r = p.red + at, *g = p.g + at, *b = p.blue + at;
        ORVEX_RI_IVDEP
        for (size_t x = 0; x < width; ++x) {
            rr[x] = RiSample(r[x], limit);
            gg[x] = RiSample(g[x], limit);
            bb[x] = RiSample(b[x], limit);
        }
        pack.Put(pack.Row(size_t(top) + kRiMargin + y - job.y), first, width, rr, gg, bb);
    }
}

template <class S>
ORVEX_INLINE void RiRows(const Conversion& job, RiMemory& memory, SimdFeatures level) {
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const size_t width = job.dst.width, height = job.dst.height;
    const size_t tiles = (width + kRiTileColumns - 1) / kRiTileColumns;
    const size_t strip = std::min(kRiStripRows, height);
    for (size_t k = 0; k < tiles; ++k) {
        const size_t first = width * k / tiles, end = width * (k + 1) / tiles;
        for (size_t y = 0; y < height; y += strip) {
            const size_t rows = std::min(strip, height - y);
            RiWindow win{};
            win.w = end - first + 2 * kRiMargin;
            win.h = rows + 2 * kRiMargin;
            win.limit = float(job.maxValue);
            win.floor = win.limit * win.limit * 1e-6f;
            win.varFloor = win.limit * win.limit * 1.5e-10f;
            win.fitFloor = win.limit * win.limit * 1e-3f;
            win.gradientFloor = win.limit * win.limit * (1e-10f / (255.0f * 255.0f));
            float* q = memory.planes.data();
            const size_t n = win.w * win.h;
            RiPlanes p{};
            for (float** plane : {&p.m, &p.dh, &p.dv, &p.g, &p.red, &p.blue}) *plane = q, q += n;
            for (float*& plane : p.work) plane = q, q += n;
            p.rows = q;
            q += RiRowFloats(win.w, win.h);
            p.out = reinterpret_cast<uint16_t*>(q);
            RiStrip<S>(job, p, win, ptrdiff_t(job.x + first) - ptrdiff_t(kRiMargin),
                       ptrdiff_t(job.y + y) - ptrdiff_t(kRiMargin), first, end - first, rows, pack);
        }
    }
}

}  // namespace
}  // namespace orvex

// The passes of one build (portable or an instruction set's target).
#define ORVEX_RI_SET(Name, TARGET)                                                  \
    namespace {                                                                     \
    TARGET void Rows(const Conversion& job, RiMemory& memory, SimdFeatures level) { \
        if (job.frame.format == kFormatMosaic16)                                    \
            RiRows<Sample16>(job, memory, level);                                   \
        else                                                                        \
            RiRows<Sample8>(job, memory, level);                                    \
    }                                                                               \
    }                                                                               \
    extern const RiSet Name = {Rows};
