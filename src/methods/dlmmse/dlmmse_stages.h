// The stages of the LMMSE demosaic over a tile's working rows: green at
// the colour sites, the other colour there, and the output row. Included by
// dlmmse_rows.h, in each build's file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "methods/dlmmse/dlmmse_demosaic.h"
#include "methods/dlmmse/dlmmse_estimates.h"

namespace orvex {
namespace {

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
}  // namespace
}  // namespace orvex
