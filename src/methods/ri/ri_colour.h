// The colour stage of the residual-interpolation demosaic: red and blue
// everywhere, the guided filter of the full green over 5 x 5 windows with
// statistics at the colour's sites, plus the bilinearly interpolated
// residuals of its samples. The slope is the minimized-Laplacian one
// (MLRI): the mean product of the colour's and green's Laplacians over
// green's mean squared Laplacian, which fits the colour to green's detail
// rather than to its level. Included by ri_rows.h.
//
// Every row holds the sites of one colour only, at every other column, so
// the statistics' row sums are taken once per row for that colour, over its
// 3 or 2 sites of the row; a window's sums add the 3 or 2 rows of the
// colour in it. The stage runs a row at a time behind the green stage, its
// intermediate rows in rings.
#pragma once

#include <cstddef>

#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_green.h"

namespace orvex {
namespace {

// Five-site sums of a row, (((v[-2] + v[-1]) + v[0]) + v[1]) + v[2], over
// [a, b).
ORVEX_INLINE void RiFives(const float* __restrict v, float* __restrict out, size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t x = a; x < b; ++x) out[x] = (((v[x - 2] + v[x - 1]) + v[x]) + v[x + 1]) + v[x + 2];
}

// One colour's rings: the five-site sums of the slopes and offsets, the
// tentative estimate and the residual at the colour's sites.
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

// Row y of [22, h - 22) of the row sums of the colour statistics (target,
// guide, the product of their Laplacians, the guide's squared Laplacian) at
// columns [24, w - 24), into four rings; row y's colour has its sites at
// the columns of parity `sites`. `rows` holds two rows.
ORVEX_INLINE void RiColourRowSums(const RiWindow& win, const float* m, const float* g, size_t sites,
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
        for (size_t x = 24; x + 24 < w; ++x) {
            const float three = (v[x - 2] + v[x]) + v[x + 2], two = v[x - 1] + v[x + 1];
            out[x] = (x & 1) == sites ? three : two;
        }
    }
}

// Row y of [24, h - 24) of the colour's slopes and offsets over the window's
// rows of the colour (y - 2, y, y + 2 or y - 1, y + 1), and their five-site
// sums along the row into the rings; `rows` holds two rows.
ORVEX_INLINE void RiColourCoefficients(const RiWindow& win, const RiRing* sums,
                                       const RiColourRings& c, float* rows, size_t y) {
    const size_t w = win.w;
    const float floor = win.floor;
    const bool three = (y & 1) == c.cy;
    const size_t first = three ? y - 2 : y - 1;
    const float *t0 = sums[0][first], *g0 = sums[1][first], *p0 = sums[2][first],
                *q0 = sums[3][first];
    const float *t1 = sums[0][first + 2], *g1 = sums[1][first + 2], *p1 = sums[2][first + 2],
                *q1 = sums[3][first + 2];
    const float inverse0 = 1.0f / float((three ? 3 : 2) * (c.cx == 0 ? 3 : 2));
    const float inverse1 = 1.0f / float((three ? 3 : 2) * (c.cx == 1 ? 3 : 2));
    float* __restrict ao = rows, * __restrict bo = rows + w;
    if (three) {
        const float *t2 = sums[0][y + 2], *g2 = sums[1][y + 2], *p2 = sums[2][y + 2],
                    *q2 = sums[3][y + 2];
        ORVEX_RI_IVDEP
        for (size_t x = 24; x + 24 < w; ++x) {
            const float st = (t0[x] + t1[x]) + t2[x];
            const float sg = (g0[x] + g1[x]) + g2[x];
            const float slmg = (p0[x] + p1[x]) + p2[x];
            const float slgg = (q0[x] + q1[x]) + q2[x];
            const float n = (x & 1) != 0 ? inverse1 : inverse0;
            const float slope = RiLaplacianSlope(slmg, slgg, n, floor);
            ao[x] = slope;
            bo[x] = (st - slope * sg) * n;
        }
    } else {
        ORVEX_RI_IVDEP
        for (size_t x = 24; x + 24 < w; ++x) {
            const float st = t0[x] + t1[x], sg = g0[x] + g1[x];
            const float slmg = p0[x] + p1[x], slgg = q0[x] + q1[x];
            const float n = (x & 1) != 0 ? inverse1 : inverse0;
            const float slope = RiLaplacianSlope(slmg, slgg, n, floor);
            ao[x] = slope;
            bo[x] = (st - slope * sg) * n;
        }
    }
    RiFives(ao, c.ra[y], 26, w - 26);
    RiFives(bo, c.rb[y], 26, w - 26);
}

// Row y of [26, h - 26): the means of the slopes and offsets over 5 x 5
// windows give the tentative estimate, and the residual at the colour's
// sites.
ORVEX_INLINE void RiColourMeans(const RiWindow& win, const float* m, const float* g,
                                const RiColourRings& c, size_t y) {
    const size_t w = win.w, at = y * w;
    const float limit = win.limit;
    constexpr float kTwentyFifth = 1.0f / 25;
    const float* __restrict mm = m + at, * __restrict gr = g + at;
    const float* a[5] = {c.ra[y - 2], c.ra[y - 1], c.ra[y], c.ra[y + 1], c.ra[y + 2]};
    const float* b[5] = {c.rb[y - 2], c.rb[y - 1], c.rb[y], c.rb[y + 1], c.rb[y + 2]};
    const float* __restrict a0 = a[0], * __restrict a1 = a[1], * __restrict a2 = a[2], * __restrict a3 = a[3], * __restrict a4 = a[4];
    const float* __restrict b0 = b[0], * __restrict b1 = b[1], * __restrict b2 = b[2], * __restrict b3 = b[3], * __restrict b4 = b[4];
    float* __restrict e = c.est[y], * __restrict rs = c.res[y];
    const bool row = (y & 1) == c.cy;
    const size_t cx = c.cx;
    ORVEX_RI_IVDEP
    for (size_t x = 26; x + 26 < w; ++x) {
        const float sa = (((a0[x] + a1[x]) + a2[x]) + a3[x]) + a4[x];
        const float sb = (((b0[x] + b1[x]) + b2[x]) + b3[x]) + b4[x];
        const float v = RiClip(sa * kTwentyFifth * gr[x] + sb * kTwentyFifth, limit);
        e[x] = v;
        rs[x] = row && (x & 1) == cx ? mm[x] - v : 0.0f;
    }
}

// Row y of [kRiMargin, h - kRiMargin) of the colour at those columns into
// `out`
// (indexed by window column).
ORVEX_INLINE void RiColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                              float* __restrict out, size_t y) {
    const size_t w = win.w, at = y * w;
    const float* __restrict mm = m + at, * __restrict e = c.est[y], * __restrict rs = c.res[y];
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    const bool row = (y & 1) == c.cy;
    const size_t cx = c.cx;
    ORVEX_RI_IVDEP
    for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
        const bool column = (x & 1) == cx;
        const float across = (rs[x - 1] + rs[x + 1]) * 0.5f;
        const float along = (up[x] + down[x]) * 0.5f;
        const float diagonal = ((up[x - 1] + up[x + 1]) + (down[x - 1] + down[x + 1])) * 0.25f;
        const float r = row ? across : column ? along : diagonal;
        out[x] = row && column ? mm[x] : e[x] + r;
    }
}

}  // namespace
}  // namespace orvex
