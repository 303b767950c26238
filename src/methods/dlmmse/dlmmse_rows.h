// The passes of the directional LMMSE demosaic, included by the file of each
// build that compiles them (portable and AVX2 builds of one body).
//
// A band is converted in column tiles, and each tile row by row: every
// stage keeps the few rows the next stage reads in a ring, so the working
// set stays in the core's cache and no row is computed twice except the
// stages' reach above the band. A tile's window starts kDlmmseMargin + 4
// columns left of it, is read by reflection about the frame's edge sample
// where the frame ends, and each of its rows is split by column parity into
// two halves. In a Bayer row the colour sites are all of one parity, so
// every half is all colour sites or all green sites: each loop runs over
// one half with no per-site selection, and the estimates that only colour
// sites need are computed there only.
//
// A pixel depends on the samples within kDlmmseMargin of it and nothing
// else, so tiles, bands and regions give the same bytes. Each loop is the
// same arithmetic at every site of its half, which the compiler vectorises
// without changing a value: every value is computed with the same
// operations in the same order as the plain form, whatever the vector
// width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/mirror.h"
#include "core/samples.h"
#include "methods/dlmmse/dlmmse_demosaic.h"
#include "methods/dlmmse/dlmmse_stages.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

template <class S>
ORVEX_INLINE void DlmmseTileRows(const Conversion& job, const DlmmsePlanes& w, const DlmmseTile& t,
                                 const PackPlan& pack) {
    const SourceView& f = job.frame;
    const size_t half = t.half;
    const float limit = float(job.maxValue);
    // Red sits at column p & 1 of row p >> 1; a row's colour sites at the
    // red column on red rows, at the other on blue rows.
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    auto isRedRow = [&](ptrdiff_t r) { return size_t(r & 1) == redRow; };
    auto colourHalf = [&](ptrdiff_t r) {
        const size_t column = isRedRow(r) ? redColumn : 1 - redColumn;
        return size_t((ptrdiff_t(column) - t.left) & 1);
    };
    const ptrdiff_t y0 = ptrdiff_t(job.y), y1 = y0 + ptrdiff_t(job.dst.height);
    const ptrdiff_t m = kDlmmseMargin;
    // Step s loads row s + m and takes every stage one row on; a stage
    // starts once the rows it reads are there.
    for (ptrdiff_t s = y0 - 2 * m; s < y1; ++s) {
        const ptrdiff_t r = s + m;
        LoadMirroredHalves<S>(f, r, t.left, half, w.mosaic.Half(r, 0), w.mosaic.Half(r, 1));

        // Down the columns: differences from row y0 - m + 2, their low-pass
        // four rows behind from row y0 - 6, and sums of four rows three
        // behind that, at their colour sites, from row y0 - 6.
        if (const ptrdiff_t rv = s + m - 2; rv >= y0 - m + 2) {
            const ptrdiff_t rs = rv - 4, rq = rs - 3;
            const bool smooth = rs >= y0 - 6, quads = rq >= y0 - 6;
            for (size_t h = 0; h < 2; ++h) {
                ColumnStep c{};
                c.m0 = w.mosaic.Half(rv - 2, h), c.m1 = w.mosaic.Half(rv - 1, h);
                c.m2 = w.mosaic.Half(rv, h), c.m3 = w.mosaic.Half(rv + 1, h);
                c.m4 = w.mosaic.Half(rv + 2, h);
                c.sign = h == colourHalf(rv) ? -1.0f : 1.0f;
                c.diff = w.diffV.Half(rv, h);
                const float** d[] = {&c.d0, &c.d1, &c.d2, &c.d3, &c.d4, &c.d5, &c.d6, &c.d7};
                for (ptrdiff_t k = 0; k < 8; ++k) *d[k] = w.diffV.Half(rs - 4 + k, h);
                c.smooth = w.smoothV.Half(rs, h), c.square = w.squareV.Half(rs, h);
                c.noise = w.noiseV.Half(rs, h);
                c.s1 = w.smoothV.Half(rq, h), c.s2 = w.smoothV.Half(rq + 1, h);
                c.s3 = w.smoothV.Half(rq + 2, h);
                c.q1 = w.squareV.Half(rq, h), c.q2 = w.squareV.Half(rq + 1, h);
                c.q3 = w.squareV.Half(rq + 2, h);
                c.n1 = w.noiseV.Half(rq, h), c.n2 = w.noiseV.Half(rq + 1, h);
                c.n3 = w.noiseV.Half(rq + 2, h);
                c.quadSmooth = w.quadSmoothV.Half(rq, 0), c.quadSquare = w.quadSquareV.Half(rq, 0);
                c.quadNoise = w.quadNoiseV.Half(rq, 0);
                if (!smooth)
                    StepColumns<false, false>(c, half);
                else if (!quads || h != colourHalf(rq))
                    StepColumns<true, false>(c, half);
                else
                    StepColumns<true, true>(c, half);
            }
        }
        if (const ptrdiff_t rg = s + 2; rg >= y0 - 2) GreenAtColour(w, t, rg, colourHalf(rg));
        if (const ptrdiff_t rc = s + 1; rc >= y0 - 1)
            ColoursAtColour(w, t, rc, colourHalf(rc), isRedRow(rc));
        if (s >= y0) {
            if (colourHalf(s) == 0)
                OutputRow<0>(w, t, s, limit);
            else
                OutputRow<1>(w, t, s, limit);
            const uint16_t* rr = w.out;
            pack.Put(pack.Row(job.dst, size_t(s - y0)), t.first, t.width, rr, rr + 2 * t.pairs,
                     rr + 4 * t.pairs);
        }
    }
}

template <class S>
ORVEX_INLINE void DlmmseRows(const Conversion& job, DlmmseMemory& memory, const PackPlan& pack) {
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const size_t width = job.dst.width;
    const size_t tiles = (width + kDlmmseTileColumns - 1) / kDlmmseTileColumns;
    for (size_t k = 0; k < tiles; ++k) {
        // Tiles of even, near-equal widths, so each starts on a pixel pair.
        const size_t first = (width * k / tiles) & ~size_t(1);
        const size_t end = k + 1 == tiles ? width : (width * (k + 1) / tiles) & ~size_t(1);
        DlmmseTile t{};
        t.first = first;
        t.width = end - first;
        t.pairs = (t.width + 1) / 2;
        t.half = DlmmseHalf(t.width);
        t.left = ptrdiff_t(job.x + first) - ptrdiff_t(2 * kDlmmseOut);
        DlmmsePlanes w{};
        float* p = memory.planes.data();
        auto ring = [&](size_t rows, size_t halves) {
            const DlmmseRing r{p, t.half, halves, rows};
            p += rows * halves * t.half;
            return r;
        };
        w.mosaic = ring(kDlmmseMosaicRows, 2);
        w.diffV = ring(kDlmmseDifferenceRows, 2);
        w.smoothV = ring(kDlmmseStatisticRows, 2);
        w.squareV = ring(kDlmmseStatisticRows, 2);
        w.noiseV = ring(kDlmmseStatisticRows, 2);
        w.green = ring(kDlmmseColourRows, 1);
        w.red = ring(kDlmmseColourRows - 1, 1);
        w.blue = ring(kDlmmseColourRows - 1, 1);
        w.quadSmoothV = ring(kDlmmseQuadRows, 1);
        w.quadSquareV = ring(kDlmmseQuadRows, 1);
        w.quadNoiseV = ring(kDlmmseQuadRows, 1);
        float** rows[] = {&w.diffH, &w.smoothH, &w.squareH, &w.noiseH};
        for (float** row : rows) *row = p, p += 2 * t.half;
        float** quads[] = {&w.quadSmoothH, &w.quadSquareH, &w.quadNoiseH};
        for (float** row : quads) *row = p, p += t.half;
        w.out = reinterpret_cast<uint16_t*>(p);
        DlmmseTileRows<S>(job, w, t, pack);
    }
}

}  // namespace
}  // namespace orvex

// The passes of one build (portable or an instruction set's target).
#define ORVEX_DLMMSE_SET(Name, TARGET)                                                    \
    namespace {                                                                           \
    template <class S>                                                                    \
    TARGET void Rows(const Conversion& job, DlmmseMemory& memory, const PackPlan& pack) { \
        DlmmseRows<S>(job, memory, pack);                                                 \
    }                                                                                     \
    }                                                                                     \
    extern const DlmmseSet Name = {Rows<Sample8>, Rows<Sample16>};
