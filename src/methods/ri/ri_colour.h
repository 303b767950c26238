// The colour stage of the residual-interpolation demosaic: red and blue
// everywhere, the guided filter of the full green with statistics at the
// colour's sites, plus the bilinearly interpolated residuals of its samples.
// The slope is the minimized-Laplacian one (MLRI): the mean product of the
// colour's and green's Laplacians over green's mean squared Laplacian, which
// fits the colour to green's detail rather than to its level. Included by
// ri_rows.h.
//
// The windows are the 5 x 5 ones centred on the colour's sites, each over
// the 3 x 3 sites of the colour in it: the coefficients are taken on the
// colour's own sub-lattice, as the fast guided filter takes them on a
// subsampled grid, and a pixel's are the means over the 9, 6 or 4 windows
// that cover it. So the statistics and the fits are needed on the colour's
// rows only; the stage runs a row at a time behind the green stage, its
// intermediate rows in rings.
#pragma once

#include <cstddef>

#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_green.h"

namespace orvex {
namespace {

// One colour's rings: the row sums of the slopes and offsets over the
// windows' centres, the tentative estimate and the residual at the colour's
// sites.
struct RiColourRings {
    RiRing ra, rb, est, res;
    size_t cx, cy;  // column and row parity of the colour's sites
};

// The minimized-Laplacian slope from a window's sums over its n sites of
// the Laplacians' product and the guide's squared Laplacian, drawn towards 1
// by the floor: where green has no detail at the colour's sites the fit
// knows nothing, and the colour keeps its difference from green (the slope
// of colour-difference interpolation) rather than flattening to its mean.
ORVEX_INLINE float RiLaplacianSlope(float lmg, float lgg, float inverse, float floor) {
    return (lmg * inverse + floor) / (lgg * inverse + floor);
}

// The Laplacian of step 2 at column x of a row: four times the centre less
// its four neighbours two sites away, the colour's own sub-lattice.
ORVEX_INLINE float RiLaplacian(const float* up, const float* v, const float* down, size_t x) {
    return (((4.0f * v[x] - v[x - 2]) - v[x + 2]) - up[x]) - down[x];
}

// Row y of [22, h - 22), a row of the colour, of the row sums of its
// statistics (target, guide, the product of their Laplacians, the guide's
// squared Laplacian) over the three sites x - 2, x and x + 2, into four
// rings at columns [24, w - 24); only those of the colour's columns are
// read. `rows` holds two rows.
ORVEX_INLINE void RiColourRowSums(const RiWindow& win, const float* m, const float* g,
                                  const RiRing* sums, float* rows, size_t y) {
    const size_t w = win.w, at = y * w;
    float* __restrict lmg = rows, * __restrict lgg = rows + w;
    const float* __restrict t = m + at, * __restrict gr = g + at;
    const float *tu = t - 2 * w, *td = t + 2 * w, *gu = gr - 2 * w, *gd = gr + 2 * w;
    ORVEX_RI_IVDEP
    for (size_t x = 22; x + 22 < w; ++x) {
        const float lm = RiLaplacian(tu, t, td, x), lg = RiLaplacian(gu, gr, gd, x);
        lmg[x] = lm * lg, lgg[x] = lg * lg;
    }
    const float* q[4] = {t, gr, lmg, lgg};
    for (size_t k = 0; k < 4; ++k) {
        const float* __restrict v = q[k];
        float* __restrict out = sums[k][y];
        ORVEX_RI_IVDEP
        for (size_t x = 24; x + 24 < w; ++x) out[x] = (v[x - 2] + v[x]) + v[x + 2];
    }
}

// Row y of [24, h - 24), a row of the colour: the slopes and offsets of the
// windows centred there, over the colour's rows y - 2, y and y + 2, and
// their sums along the row over the centres within two columns (three about
// a column of the colour, two about any other) into the rings; `rows` holds
// two rows.
ORVEX_INLINE void RiColourCoefficients(const RiWindow& win, const RiRing* sums,
                                       const RiColourRings& c, float* rows, size_t y) {
    const size_t w = win.w;
    const float floor = win.floor;
    constexpr float kNinth = 1.0f / 9;
    const float *t0 = sums[0][y - 2], *g0 = sums[1][y - 2], *p0 = sums[2][y - 2],
                *q0 = sums[3][y - 2];
    const float *t1 = sums[0][y], *g1 = sums[1][y], *p1 = sums[2][y], *q1 = sums[3][y];
    const float *t2 = sums[0][y + 2], *g2 = sums[1][y + 2], *p2 = sums[2][y + 2],
                *q2 = sums[3][y + 2];
    float* __restrict ao = rows, * __restrict bo = rows + w;
    ORVEX_RI_IVDEP
    for (size_t x = 24; x + 24 < w; ++x) {
        const float st = (t0[x] + t1[x]) + t2[x];
        const float sg = (g0[x] + g1[x]) + g2[x];
        const float slmg = (p0[x] + p1[x]) + p2[x];
        const float slgg = (q0[x] + q1[x]) + q2[x];
        const float slope = RiLaplacianSlope(slmg, slgg, kNinth, floor);
        ao[x] = slope;
        bo[x] = (st - slope * sg) * kNinth;
    }
    const float* q[2] = {ao, bo};
    const RiRing* r[2] = {&c.ra, &c.rb};
    const size_t cx = c.cx;
    for (size_t k = 0; k < 2; ++k) {
        const float* __restrict v = q[k];
        float* __restrict out = (*r[k])[y];
        ORVEX_RI_IVDEP
        for (size_t x = 26; x + 26 < w; ++x) {
            const float three = (v[x - 2] + v[x]) + v[x + 2], two = v[x - 1] + v[x + 1];
            out[x] = (x & 1) == cx ? three : two;
        }
    }
}

// Row y of [26, h - 26): the means of the slopes and offsets over the
// windows covering each site (the rows of sums of the colour's rows within
// two) give the tentative estimate, and the residual at the colour's sites.
ORVEX_INLINE void RiColourMeans(const RiWindow& win, const float* m, const float* g,
                                const RiColourRings& c, size_t y) {
    const size_t w = win.w, at = y * w;
    const float limit = win.limit;
    const float* __restrict mm = m + at, * __restrict gr = g + at;
    float* __restrict e = c.est[y], * __restrict rs = c.res[y];
    const size_t cx = c.cx;
    if ((y & 1) == c.cy) {
        const float *a0 = c.ra[y - 2], *a1 = c.ra[y], *a2 = c.ra[y + 2];
        const float *b0 = c.rb[y - 2], *b1 = c.rb[y], *b2 = c.rb[y + 2];
        ORVEX_RI_IVDEP
        for (size_t x = 26; x + 26 < w; ++x) {
            const bool column = (x & 1) == cx;
            const float n = column ? 1.0f / 9 : 1.0f / 6;
            const float sa = (a0[x] + a1[x]) + a2[x], sb = (b0[x] + b1[x]) + b2[x];
            const float v = RiClip(sa * n * gr[x] + sb * n, limit);
            e[x] = v;
            rs[x] = column ? mm[x] - v : 0.0f;
        }
    } else {
        const float *a0 = c.ra[y - 1], *a1 = c.ra[y + 1];
        const float *b0 = c.rb[y - 1], *b1 = c.rb[y + 1];
        ORVEX_RI_IVDEP
        for (size_t x = 26; x + 26 < w; ++x) {
            const float n = (x & 1) == cx ? 1.0f / 6 : 1.0f / 4;
            const float sa = a0[x] + a1[x], sb = b0[x] + b1[x];
            e[x] = RiClip(sa * n * gr[x] + sb * n, limit);
            rs[x] = 0.0f;
        }
    }
}

// Row y of [kRiMargin, h - kRiMargin) of the colour at those columns into
// `out` (indexed by window column): the sample at the colour's sites, else
// the estimate plus the residuals' mean across the row (on the colour's
// rows), along the column (on its columns) or over the diagonals.
ORVEX_INLINE void RiColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                              float* __restrict out, size_t y) {
    const size_t w = win.w, at = y * w;
    const float* __restrict mm = m + at, * __restrict e = c.est[y], * __restrict rs = c.res[y];
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    const size_t cx = c.cx;
    if ((y & 1) == c.cy) {
        ORVEX_RI_IVDEP
        for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
            const float across = (rs[x - 1] + rs[x + 1]) * 0.5f;
            out[x] = (x & 1) == cx ? mm[x] : e[x] + across;
        }
    } else {
        ORVEX_RI_IVDEP
        for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
            const float along = (up[x] + down[x]) * 0.5f;
            const float diagonal = ((up[x - 1] + up[x + 1]) + (down[x - 1] + down[x + 1])) * 0.25f;
            out[x] = e[x] + ((x & 1) == cx ? along : diagonal);
        }
    }
}

}  // namespace
}  // namespace orvex
