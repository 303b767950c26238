// The colour stage of the residual-interpolation demosaic: red and blue
// everywhere, the guided filter of the full green with statistics at the
// colour's sites, plus the residuals of its samples interpolated along
// green's flatter direction (ri_residuals.h).
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

// The Laplacian of step 2 at entry k of a row of the colour's sites: four
// times the centre less its four neighbours two sites away (the entries
// beside, and the rows two up and down), the colour's own sub-lattice.
ORVEX_INLINE float RiLaplacian(const float* up, const float* v, const float* down, size_t k) {
    return (((4.0f * v[k] - v[k - 1]) - v[k + 1]) - up[k]) - down[k];
}

// The colour's columns of a row kept apart: column x = cx + 2 k of the
// window at entry k, so the passes that need only the colour's sites of its
// rows run over them alone, with no strided access.
struct RiColourSites {
    RiRing m, g;  // the samples and green at the colour's columns, by row
};

// Row y of [20, h - 20), a row of a colour whose columns have parity cx:
// its samples and green at the colour's columns of [20, w - 20).
ORVEX_INLINE void RiColourSitesRow(const RiWindow& win, const float* m, const float* g, size_t cx,
                                   const RiColourSites& c, size_t y) {
    const size_t w = win.w, at = y * w;
    const float* __restrict mm = m + at + cx, * __restrict gr = g + at + cx;
    float* __restrict cm = c.m[y], * __restrict cg = c.g[y];
    ORVEX_RI_IVDEP
    for (size_t k = 10; cx + 2 * k + 20 < w; ++k) cm[k] = mm[2 * k], cg[k] = gr[2 * k];
}

// Row y of [22, h - 22), a row of a colour whose columns have parity cx, of
// the row sums of its statistics (target, guide, the product of their
// Laplacians, the guide's squared Laplacian) over its three sites x - 2, x
// and x + 2, at its columns x of [24, w - 24), kept apart like the sites,
// into four rings. `rows` holds two rows.
ORVEX_INLINE void RiColourRowSums(const RiWindow& win, const RiColourSites& c, size_t cx,
                                  const RiRing* sums, float* rows, size_t y) {
    const size_t w = win.w;
    float* __restrict lmg = rows, * __restrict lgg = rows + w;
    const float* __restrict t = c.m[y], * __restrict gr = c.g[y];
    const float *tu = c.m[y - 2], *td = c.m[y + 2], *gu = c.g[y - 2], *gd = c.g[y + 2];
    ORVEX_RI_IVDEP
    for (size_t k = 11; cx + 2 * k + 22 < w; ++k) {
        const float lm = RiLaplacian(tu, t, td, k), lg = RiLaplacian(gu, gr, gd, k);
        lmg[k] = lm * lg, lgg[k] = lg * lg;
    }
    const float* q[4] = {t, gr, lmg, lgg};
    for (size_t j = 0; j < 4; ++j) {
        const float* __restrict v = q[j];
        float* __restrict out = sums[j][y];
        ORVEX_RI_IVDEP
        for (size_t k = 12; cx + 2 * k + 24 < w; ++k) out[k] = (v[k - 1] + v[k]) + v[k + 1];
    }
}

// Row y of [24, h - 24), a row of the colour: the slopes and offsets of the
// windows centred on its sites, over the colour's rows y - 2, y and y + 2,
// and their sums along the row over the centres within two columns (three
// about a column of the colour, two about any other) into the rings;
// `rows` holds two rows.
ORVEX_INLINE void RiColourCoefficients(const RiWindow& win, const RiRing* sums,
                                       const RiColourRings& c, float* rows, size_t y) {
    const size_t w = win.w, cx = c.cx;
    const float floor = win.floor;
    constexpr float kNinth = 1.0f / 9;
    const float *t0 = sums[0][y - 2], *g0 = sums[1][y - 2], *p0 = sums[2][y - 2],
                *q0 = sums[3][y - 2];
    const float *t1 = sums[0][y], *g1 = sums[1][y], *p1 = sums[2][y], *q1 = sums[3][y];
    const float *t2 = sums[0][y + 2], *g2 = sums[1][y + 2], *p2 = sums[2][y + 2],
                *q2 = sums[3][y + 2];
    float* __restrict ao = rows, * __restrict bo = rows + w;
    ORVEX_RI_IVDEP
    for (size_t k = 12; cx + 2 * k + 24 < w; ++k) {
        const float st = (t0[k] + t1[k]) + t2[k];
        const float sg = (g0[k] + g1[k]) + g2[k];
        const float slmg = (p0[k] + p1[k]) + p2[k];
        const float slgg = (q0[k] + q1[k]) + q2[k];
        const float slope = RiLaplacianSlope(slmg, slgg, kNinth, floor);
        ao[k] = slope;
        bo[k] = (st - slope * sg) * kNinth;
    }
    // Column cx + 2 k sums the centres k - 1, k and k + 1, the column before
    // it k - 1 and k; columns [26, w - 26) are written (and column 25 when
    // it is one before a column of the colour).
    const float* q[2] = {ao, bo};
    const RiRing* r[2] = {&c.ra, &c.rb};
    for (size_t j = 0; j < 2; ++j) {
        const float* __restrict v = q[j];
        float* __restrict out = (*r[j])[y] + cx;
        size_t k = 13;
        ORVEX_RI_IVDEP
        for (; cx + 2 * k + 26 < w; ++k) {
            out[2 * k] = (v[k - 1] + v[k]) + v[k + 1];
            out[2 * k - 1] = v[k - 1] + v[k];
        }
        if (cx + 2 * k + 25 < w) out[2 * k - 1] = v[k - 1] + v[k];
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
// the estimate plus the residual: at the sites diagonal to the colour's the
// diagonals' (RiColourDiagonals, ri_residuals.h), at green's the means
// across the row and along the column by the row's weights `wt`.
ORVEX_INLINE void RiColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                              const float* wt, float* __restrict out, size_t y) {
    const size_t w = win.w, at = y * w;
    const float* __restrict mm = m + at, * __restrict e = c.est[y], * __restrict rs = c.res[y];
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    const size_t cx = c.cx;
    // On the colour's rows green's sites are off its columns, on the others
    // on them.
    const bool colourRow = (y & 1) == c.cy;
    ORVEX_RI_IVDEP
    for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
        const bool column = (x & 1) == cx;
        const float across = (rs[x - 1] + rs[x + 1]) * 0.5f;
        const float along = (up[x] + down[x]) * 0.5f;
        const float green = e[x] + (along + wt[x] * (across - along));
        out[x] = column == colourRow ? (column ? mm[x] : e[x] + rs[x]) : green;
    }
}

}  // namespace
}  // namespace orvex
