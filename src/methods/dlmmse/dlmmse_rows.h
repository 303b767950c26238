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
#include "pack/pack_rows.h"

// The loops read and write distinct rows: tell GCC's vectoriser so, instead
// of having it compare every pair of pointers. Clang (the fuzzing build)
// keeps its own judgement: forcing it there warns wherever it declines.
#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_IVDEP _Pragma("GCC ivdep")
#else
#define ORVEX_IVDEP
#endif

namespace orvex {
namespace {

// Low-pass taps: a Gaussian of sigma 2 over nine samples, exp(-k^2 / 8)
// normalised to sum 1, written out so that every platform gives the same
// numbers.
constexpr float kLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                               0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};
constexpr float kNinth = 1.0f / 9;

// The low-pass of nine samples in order, its symmetric taps paired.
ORVEX_INLINE float LowPass9(float a0, float a1, float a2, float a3, float a4, float a5, float a6,
                            float a7, float a8) {
    return (kLowPass[0] * (a0 + a8) + kLowPass[1] * (a1 + a7)) +
           (kLowPass[2] * (a2 + a6) + kLowPass[3] * (a3 + a5)) + kLowPass[4] * a4;
}

// The sum of nine samples a0 .. a8 is ((a0 + a1) + (a2 + a3)) + ((a4 + a5)
// + (a6 + a7)) + a8: the sums of four that start at a colour site's row (or
// column) serve the colour sites two on and two back as well, so each is
// added once per row.
ORVEX_INLINE float Quad(float a0, float a1, float a2, float a3) {
    return (a0 + a1) + (a2 + a3);
}

// One direction's LMMSE estimate of the difference from nine-sample sums
// of its low-pass, square and residual: signal variance S and noise
// variance N give the estimate (N * smooth + S * diff) / (S + N) and its
// error variance S * N / (S + N); kept here as those numerators and the
// common denominator.
struct Lmmse {
    float weighted, error, total;  // numerators of estimate and error; S + N
};

ORVEX_INLINE Lmmse LmmseOf(float sum, float squares, float noise, float smooth, float diff) {
    const float mean = sum * kNinth;
    const float spread = squares * kNinth - mean * mean;
    const float signal = (spread > 0 ? spread : 0) + 1e-5f;
    const float noiseVariance = noise * kNinth + 1e-5f;
    return {noiseVariance * smooth + signal * diff, signal * noiseVariance, signal + noiseVariance};
}

// The two directions' estimates fused with weights inverse to their error
// variances, eV / (eH + eV) and eH / (eH + eV), written over one
// denominator so a single division serves the site. Every factor is at
// least 1e-5, so the denominator is never zero; for samples of 16 bits the
// products stay far inside single precision's range.
ORVEX_INLINE float Fused(const Lmmse& h, const Lmmse& v) {
    return (v.error * h.weighted + h.error * v.weighted) / (h.error * v.total + v.error * h.total);
}

// floor(v + 0.5) limited to 0 .. limit: within the limits the truncation
// of a non-negative value is its floor.
ORVEX_INLINE uint16_t DlmmseSample(float v, float limit) {
    const float r = v + 0.5f;
    const float low = r > 0 ? r : 0;
    return uint16_t(int32_t(low < limit ? low : limit));
}

// Rows of one plane in a ring: row r (a frame row, any integer) is at slot
// r mod rows, its parity halves one after the other (`halves` of them: 1
// for planes kept at colour sites only).
struct DlmmseRing {
    float* base;
    size_t half, halves, rows;
    float* Half(ptrdiff_t r, size_t parity) const {
        const ptrdiff_t n = ptrdiff_t(rows), slot = (r % n + n) % n;
        return base + (size_t(slot) * halves + parity) * half;
    }
};

// A tile's geometry: window column 2i + p is half p's entry i, frame column
// left + 2i + p.
struct DlmmseTile {
    ptrdiff_t left;
    size_t half;   // entries per half
    size_t pairs;  // output pixel pairs, from entry kDlmmseOut of both halves
    size_t first;  // the tile's first output pixel in the destination row
    size_t width;  // output pixels
};

// The first output entry of each half: kDlmmseMargin + 4 window columns in.
constexpr size_t kDlmmseOut = (kDlmmseMargin + 4) / 2;

// The working rows of a tile.
struct DlmmsePlanes {
    DlmmseRing mosaic, diffV, smoothV, squareV, noiseV;  // both halves
    DlmmseRing green, red, blue;                         // colour sites only
    // Sums of four rows from each row down, at the row's colour sites.
    DlmmseRing quadSmoothV, quadSquareV, quadNoiseV;
    float *diffH, *smoothH, *squareH, *noiseH;  // one row, both halves
    // Sums of four columns from each colour site on, along one row.
    float *quadSmoothH, *quadSquareH, *quadNoiseH;
    uint16_t* out;  // three rows of samples
};

// Green minus the line's colour (colour sites: minus green minus the
// colour) by Laplacian-corrected interpolation along the line, from the
// line's samples two before (a), one before (b), here (c), one after (d)
// and two after (e).
ORVEX_INLINE void Differences(const float* __restrict a, const float* __restrict b,
                              const float* __restrict c, const float* __restrict d,
                              const float* __restrict e, float sign, float* __restrict out,
                              size_t first, size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        const float est = (b[i] + d[i]) * 0.5f + (2 * c[i] - a[i] - e[i]) * 0.25f;
        out[i] = (c[i] - est) * sign;
    }
}

// The low-passed difference at each entry from nine rows (or nine window
// columns) a0 .. a8 of differences, its square, and the squared residual
// of the difference itself (a4).
ORVEX_INLINE void Smooth(const float* a0, const float* a1, const float* a2, const float* a3,
                         const float* a4, const float* a5, const float* a6, const float* a7,
                         const float* a8, float* smooth, float* square, float* noise, size_t first,
                         size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        const float s = LowPass9(a0[i], a1[i], a2[i], a3[i], a4[i], a5[i], a6[i], a7[i], a8[i]);
        smooth[i] = s;
        square[i] = s * s;
        noise[i] = (a4[i] - s) * (a4[i] - s);
    }
}

// Sums of four rows r .. r + 3 (a0 .. a3) of three planes at once.
ORVEX_INLINE void Quads(const float* s0, const float* s1, const float* s2, const float* s3,
                        const float* q0, const float* q1, const float* q2, const float* q3,
                        const float* n0, const float* n1, const float* n2, const float* n3,
                        float* smooth, float* square, float* noise, size_t first, size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        smooth[i] = Quad(s0[i], s1[i], s2[i], s3[i]);
        square[i] = Quad(q0[i], q1[i], q2[i], q3[i]);
        noise[i] = Quad(n0[i], n1[i], n2[i], n3[i]);
    }
}

// The window columns 2i + p - 4 .. 2i + p + 4 of a row split in halves, in
// order, as nine pointers read at index i (p: the half of column 2i + p).
struct NineColumns {
    const float* at[9];
    NineColumns(const float* plane, size_t half, size_t p) {
        const float* same = plane + p * half;
        const float* other = plane + (1 - p) * half + p - 1;  // column 2i + p - 1 at index i
        for (ptrdiff_t k = 0; k < 9; ++k)
            at[k] = k % 2 == 0 ? same + (k / 2 - 2) : other + (k - 3) / 2;
    }
};

// One step down the columns of a half: the differences of row rv from
// mosaic rows rv - 2 .. rv + 2, the low-pass of row rv - 4 from difference
// rows rv - 8 .. rv (the last just computed), and the sums of four rows
// from rv - 7 (the last just low-passed).
struct ColumnStep {
    const float *m0, *m1, *m2, *m3, *m4;
    float sign;
    float* diff;
    const float *d0, *d1, *d2, *d3, *d4, *d5, *d6, *d7;
    float *smooth, *square, *noise;
    const float *s1, *s2, *s3, *q1, *q2, *q3, *n1, *n2, *n3;
    float *quadSmooth, *quadSquare, *quadNoise;
};

template <bool kSmooth, bool kQuads>
ORVEX_INLINE void StepColumns(const ColumnStep& in, size_t end) {
    const ColumnStep v = in;
    ORVEX_IVDEP
    for (size_t i = 0; i < end; ++i) {
        const float est = (v.m1[i] + v.m3[i]) * 0.5f + (2 * v.m2[i] - v.m0[i] - v.m4[i]) * 0.25f;
        const float d = (v.m2[i] - est) * v.sign;
        v.diff[i] = d;
        if (!kSmooth) continue;
        const float s =
            LowPass9(v.d0[i], v.d1[i], v.d2[i], v.d3[i], v.d4[i], v.d5[i], v.d6[i], v.d7[i], d);
        const float sq = s * s, n = (v.d4[i] - s) * (v.d4[i] - s);
        v.smooth[i] = s;
        v.square[i] = sq;
        v.noise[i] = n;
        if (!kQuads) continue;
        v.quadSmooth[i] = Quad(v.s1[i], v.s2[i], v.s3[i], s);
        v.quadSquare[i] = Quad(v.q1[i], v.q2[i], v.q3[i], sq);
        v.quadNoise[i] = Quad(v.n1[i], v.n2[i], v.n3[i], n);
    }
}

// Rows r - 4 .. r + 4 of a ring, half p.
struct NineRows {
    const float* at[9];
    NineRows(const DlmmseRing& ring, ptrdiff_t r, size_t p) {
        for (ptrdiff_t k = 0; k < 9; ++k) at[k] = ring.Half(r + k - 4, p);
    }
};

// Green of row r at its colour sites (half p): the colour plus both
// directions' fused LMMSE estimates of the difference.
ORVEX_INLINE void GreenAtColour(const DlmmsePlanes& w, const DlmmseTile& t, ptrdiff_t r, size_t p) {
    const size_t half = t.half, q = 1 - p;
    // Along the row: differences, then their low-pass and squares.
    const float* m = w.mosaic.Half(r, 0);
    for (size_t h = 0; h < 2; ++h) {
        const float* c = m + h * half;
        const float* o = m + (1 - h) * half + h;  // the column right of entry i
        Differences(c - 1, o - 1, c, o, c + 1, h == p ? -1.0f : 1.0f, w.diffH + h * half, 1,
                    half - 1);
    }
    for (size_t h = 0; h < 2; ++h) {
        const NineColumns d(w.diffH, half, h);
        Smooth(d.at[0], d.at[1], d.at[2], d.at[3], d.at[4], d.at[5], d.at[6], d.at[7], d.at[8],
               w.smoothH + h * half, w.squareH + h * half, w.noiseH + h * half, 3, half - 3);
    }
    // Along the row: sums of four columns from each colour site on, over
    // entries first - 2 .. end - 1 of half p.
    const size_t first = 5, end = half - 5;
    {
        const float *s = w.smoothH + p * half, *so = w.smoothH + q * half + p;
        const float *sq = w.squareH + p * half, *sqo = w.squareH + q * half + p;
        const float *n = w.noiseH + p * half, *no = w.noiseH + q * half + p;
        Quads(s, so, s + 1, so + 1, sq, sqo, sq + 1, sqo + 1, n, no, n + 1, no + 1, w.quadSmoothH,
              w.quadSquareH, w.quadNoiseH, first - 2, end);
    }
    // Nine rows (columns) are the sums of four from four back and from here,
    // and the ninth.
    const float *sh = w.smoothH + p * half, *qh = w.squareH + p * half, *nh = w.noiseH + p * half;
    const float *shQ = w.quadSmoothH, *qhQ = w.quadSquareH, *nhQ = w.quadNoiseH;
    const float *svUp = w.quadSmoothV.Half(r - 4, 0), *svQ = w.quadSmoothV.Half(r, 0),
                *svLast = w.smoothV.Half(r + 4, p);
    const float *qvUp = w.quadSquareV.Half(r - 4, 0), *qvQ = w.quadSquareV.Half(r, 0),
                *qvLast = w.squareV.Half(r + 4, p);
    const float *nvUp = w.quadNoiseV.Half(r - 4, 0), *nvQ = w.quadNoiseV.Half(r, 0),
                *nvLast = w.noiseV.Half(r + 4, p);
    const float *c = m + p * half, *dh = w.diffH + p * half, *dv = w.diffV.Half(r, p),
                *sv = w.smoothV.Half(r, p);
    float* g = w.green.Half(r, 0);
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        const Lmmse h =
            LmmseOf((shQ[i - 2] + shQ[i]) + sh[i + 2], (qhQ[i - 2] + qhQ[i]) + qh[i + 2],
                    (nhQ[i - 2] + nhQ[i]) + nh[i + 2], sh[i], dh[i]);
        const Lmmse v = LmmseOf((svUp[i] + svQ[i]) + svLast[i], (qvUp[i] + qvQ[i]) + qvLast[i],
                                (nvUp[i] + nvQ[i]) + nvLast[i], sv[i], dv[i]);
        g[i] = c[i] + Fused(h, v);
    }
}

// The colours of row r at its colour sites (half p): its own is the
// sample; the other comes from the four diagonal neighbours' differences,
// green minus mosaic, at the colour sites of rows r - 1 and r + 1.
ORVEX_INLINE void ColoursAtColour(const DlmmsePlanes& w, const DlmmseTile& t, ptrdiff_t r, size_t p,
                                  bool redRow) {
    const size_t q = 1 - p;
    const float *gu = w.green.Half(r - 1, 0) + p - 1, *mu = w.mosaic.Half(r - 1, q) + p - 1;
    const float *gd = w.green.Half(r + 1, 0) + p - 1, *md = w.mosaic.Half(r + 1, q) + p - 1;
    const float *c = w.mosaic.Half(r, p), *g = w.green.Half(r, 0);
    float* own = (redRow ? w.red : w.blue).Half(r, 0);
    float* other = (redRow ? w.blue : w.red).Half(r, 0);
    ORVEX_IVDEP
    for (size_t i = 6; i < t.half - 6; ++i) {
        float d = 0;
        d += gu[i] - mu[i];
        d += gu[i + 1] - mu[i + 1];
        d += gd[i] - md[i];
        d += gd[i + 1] - md[i + 1];
        own[i] = c[i];
        other[i] = g[i] - d / 4;
    }
}

// Output row r: at colour sites (half p) the colours and green as
// estimated; at green sites both colours from the four neighbours'
// differences (above and below: colour sites of rows r - 1 and r + 1;
// left and right: the row's own). Limited, rounded, and interleaved into
// pixel order.
template <size_t kColourHalf>
ORVEX_INLINE void OutputRow(const DlmmsePlanes& w, const DlmmseTile& t, ptrdiff_t r, float limit) {
    constexpr size_t p = kColourHalf, q = 1 - p;
    const size_t o = kDlmmseOut;
    const float *gu = w.green.Half(r - 1, 0) + o, *ru = w.red.Half(r - 1, 0) + o,
                *bu = w.blue.Half(r - 1, 0) + o;
    const float *gd = w.green.Half(r + 1, 0) + o, *rd = w.red.Half(r + 1, 0) + o,
                *bd = w.blue.Half(r + 1, 0) + o;
    // Left and right neighbours of a green site: colour sites q - 1 and q on.
    const float *gc = w.green.Half(r, 0) + o, *rc = w.red.Half(r, 0) + o,
                *bc = w.blue.Half(r, 0) + o;
    const float *gl = gc + q - 1, *rl = rc + q - 1, *bl = bc + q - 1;
    const float* gGreen = w.mosaic.Half(r, q) + o;
    uint16_t *rr = w.out, *gg = rr + 2 * t.pairs, *bb = gg + 2 * t.pairs;
    ORVEX_IVDEP
    for (size_t i = 0; i < t.pairs; ++i) {
        const float g = gGreen[i];
        float dr = 0, db = 0;
        dr += gu[i] - ru[i];
        db += gu[i] - bu[i];
        dr += gd[i] - rd[i];
        db += gd[i] - bd[i];
        dr += gl[i] - rl[i];
        db += gl[i] - bl[i];
        dr += gl[i + 1] - rl[i + 1];
        db += gl[i + 1] - bl[i + 1];
        rr[2 * i + p] = DlmmseSample(rc[i], limit);
        gg[2 * i + p] = DlmmseSample(gc[i], limit);
        bb[2 * i + p] = DlmmseSample(bc[i], limit);
        rr[2 * i + q] = DlmmseSample(g - dr / 4, limit);
        gg[2 * i + q] = DlmmseSample(g, limit);
        bb[2 * i + q] = DlmmseSample(g - db / 4, limit);
    }
}

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
            pack.Put(pack.Row(size_t(s - y0)), t.first, t.width, rr, rr + 2 * t.pairs,
                     rr + 4 * t.pairs);
        }
    }
}

template <class S>
ORVEX_INLINE void DlmmseRows(const Conversion& job, DlmmseMemory& memory, SimdFeatures level) {
    const PackPlan pack(job.dst, job.pack, level);
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
#define ORVEX_DLMMSE_SET(Name, TARGET)                                                  \
    namespace {                                                                         \
    TARGET void Rows(const Conversion& job, DlmmseMemory& memory, SimdFeatures level) { \
        if (job.frame.format == kFormatMosaic16)                                        \
            DlmmseRows<Sample16>(job, memory, level);                                   \
        else                                                                            \
            DlmmseRows<Sample8>(job, memory, level);                                    \
    }                                                                                   \
    }                                                                                   \
    extern const DlmmseSet Name = {Rows};
