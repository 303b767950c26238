// The colour stage of the residual-interpolation demosaic: red and blue
// everywhere, the guided filter of the full green over 5 x 5 windows with
// statistics at the colour's sites, plus the bilinearly interpolated
// residuals of its samples. Included by ri_rows.h.
//
// Every row holds the sites of one colour only, at every other column, so
// the statistics' row sums are taken once per row for that colour, over its
// 3 or 2 sites of the row; a window's sums add the 3 or 2 rows of the
// colour in it.
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

// Row sums of the colour statistics (target, guide, their product, the
// guide's square) at rows [21, h - 21), columns [23, w - 23), into four
// planes; row y's colour has its sites at the columns of parity `column(y)`.
ORVEX_INLINE void RiColourRowSums(const RiWindow& win, const float* m, const float* g,
                                  size_t redRow, size_t redColumn, float* const* sums,
                                  float* rows) {
    const size_t w = win.w, h = win.h;
    float* __restrict tg = rows, * __restrict gg = rows + w;
    for (size_t y = 21; y + 21 < h; ++y) {
        const size_t at = y * w;
        const float* __restrict t = m + at, * __restrict gr = g + at;
        ORVEX_RI_IVDEP
        for (size_t x = 21; x + 21 < w; ++x) tg[x] = t[x] * gr[x], gg[x] = gr[x] * gr[x];
        const size_t sites = (y & 1) == redRow ? redColumn : 1 - redColumn;
        const float* q[4] = {t, gr, tg, gg};
        for (size_t k = 0; k < 4; ++k) {
            const float* __restrict v = q[k];
            float* __restrict out = sums[k] + at;
            ORVEX_RI_IVDEP
            for (size_t x = 23; x + 23 < w; ++x) {
                const float three = (v[x - 2] + v[x]) + v[x + 2], two = v[x - 1] + v[x + 1];
                out[x] = (x & 1) == sites ? three : two;
            }
        }
    }
}

// Red or blue (its sites at column parity cx, row parity cy) at the
// window's sites 26 or more from its edges, from the row sums; `work` holds
// six planes.
ORVEX_INLINE void RiColour(const RiWindow& win, const float* m, const float* g,
                           const float* const* sums, size_t cx, size_t cy, float* const* work,
                           float* out) {
    const size_t w = win.w, h = win.h;
    float *a = work[0], *b = work[1], *ra = work[2], *rb = work[3], *est = work[4], *res = work[5];
    const float floor = win.floor;
    for (size_t y = 23; y + 23 < h; ++y) {
        const size_t at = y * w;
        // The window's rows of the colour: y - 2, y, y + 2 or y - 1, y + 1.
        const bool three = (y & 1) == cy;
        const size_t first = three ? at - 2 * w : at - w, step = 2 * w;
        const float *t0 = sums[0] + first, *g0 = sums[1] + first, *p0 = sums[2] + first,
                    *q0 = sums[3] + first;
        const float inverse0 = 1.0f / float((three ? 3 : 2) * (cx == 0 ? 3 : 2));
        const float inverse1 = 1.0f / float((three ? 3 : 2) * (cx == 1 ? 3 : 2));
        float* __restrict ao = a + at, * __restrict bo = b + at;
        if (three) {
            ORVEX_RI_IVDEP
            for (size_t x = 23; x + 23 < w; ++x) {
                const float st = (t0[x] + t0[x + step]) + t0[x + 2 * step];
                const float sg = (g0[x] + g0[x + step]) + g0[x + 2 * step];
                const float stg = (p0[x] + p0[x + step]) + p0[x + 2 * step];
                const float sgg = (q0[x] + q0[x + step]) + q0[x + 2 * step];
                const float n = (x & 1) != 0 ? inverse1 : inverse0;
                const float slope = RiSlope(st, sg, stg, sgg, n, floor);
                ao[x] = slope;
                bo[x] = (st - slope * sg) * n;
            }
        } else {
            ORVEX_RI_IVDEP
            for (size_t x = 23; x + 23 < w; ++x) {
                const float st = t0[x] + t0[x + step], sg = g0[x] + g0[x + step];
                const float stg = p0[x] + p0[x + step], sgg = q0[x] + q0[x + step];
                const float n = (x & 1) != 0 ? inverse1 : inverse0;
                const float slope = RiSlope(st, sg, stg, sgg, n, floor);
                ao[x] = slope;
                bo[x] = (st - slope * sg) * n;
            }
        }
        RiFives(ao, ra + at, 25, w - 25);
        RiFives(bo, rb + at, 25, w - 25);
    }
    // Means of a and b over 5 x 5 windows: the tentative estimate, and the
    // residual at the colour's sites.
    const float limit = win.limit;
    constexpr float kTwentyFifth = 1.0f / 25;
    for (size_t y = 25; y + 25 < h; ++y) {
        const size_t at = y * w;
        const float* __restrict mm = m + at, * __restrict gr = g + at;
        const float *a0 = ra + at - 2 * w, *a1 = a0 + w, *a2 = a1 + w, *a3 = a2 + w, *a4 = a3 + w;
        const float *b0 = rb + at - 2 * w, *b1 = b0 + w, *b2 = b1 + w, *b3 = b2 + w, *b4 = b3 + w;
        float* __restrict e = est + at, * __restrict rs = res + at;
        const bool row = (y & 1) == cy;
        ORVEX_RI_IVDEP
        for (size_t x = 25; x + 25 < w; ++x) {
            const float sa = (((a0[x] + a1[x]) + a2[x]) + a3[x]) + a4[x];
            const float sb = (((b0[x] + b1[x]) + b2[x]) + b3[x]) + b4[x];
            const float v = RiClip(sa * kTwentyFifth * gr[x] + sb * kTwentyFifth, limit);
            e[x] = v;
            rs[x] = row && (x & 1) == cx ? mm[x] - v : 0.0f;
        }
    }
    for (size_t y = kRiMargin; y + kRiMargin < h; ++y) {
        const size_t at = y * w;
        const float* __restrict mm = m + at, * __restrict e = est + at, * __restrict rs = res + at;
        const float *up = rs - w, *down = rs + w;
        const bool row = (y & 1) == cy;
        float* __restrict o = out + at;
        ORVEX_RI_IVDEP
        for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
            const bool column = (x & 1) == cx;
            const float across = (rs[x - 1] + rs[x + 1]) * 0.5f;
            const float along = (up[x] + down[x]) * 0.5f;
            const float diagonal = ((up[x - 1] + up[x + 1]) + (down[x - 1] + down[x + 1])) * 0.25f;
            const float r = row ? across : column ? along : diagonal;
            o[x] = row && column ? mm[x] : e[x] + r;
        }
    }
}

}  // namespace
}  // namespace orvex
