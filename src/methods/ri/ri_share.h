// The share of detail of the residual-interpolation demosaic's green stage:
// how much of the local detail the colour differences carry beside the
// samples, which draws green's LMMSE estimate towards the barely smoothed
// differences (RiGreenFuse, ri_green.h). Included by ri_rows.h.
#pragma once

#include <cmath>
#include <cstddef>

#include "methods/ri/ri_green.h"

namespace orvex {
namespace {

// Seven-site sums ((v[-3] + v[-2]) + (v[-1] + v[0])) + ((v[1] + v[2]) + v[3]),
// the sites s apart.
ORVEX_INLINE float RiSeven(const float* v, ptrdiff_t s) {
    return ((v[-3 * s] + v[-2 * s]) + (v[-s] + v[0])) + ((v[s] + v[2 * s]) + v[3 * s]);
}
// Five-site sums (((v[-2] + v[-1]) + v[0]) + v[1]) + v[2], the sites s apart.
ORVEX_INLINE float RiFiveAcross(const float* v, ptrdiff_t s) {
    return (((v[-2 * s] + v[-s]) + v[0]) + v[s]) + v[2 * s];
}

// The share of detail: how much of the local detail the colour differences
// carry beside the samples. The low-pass of the differences keeps what
// smoothing them would keep; where its gradients are small beside the
// samples' own, the colours move together and the LMMSE estimate's
// smoothing removes only interpolation error; where they are as large, the
// colours move apart (saturated colour, colour edges) and the smoothing
// would blur real detail. Each direction's gradients are taken along it,
// |u[-1] - u[1]|, summed over 7 sites along and 5 across; the share is the
// sum of both directions' low-pass gradients over the sum of the samples'
// (plus a floor of 1e-3 of the range), at most 1.
//
// Row y of [18, h - 18) of the row sums, from the row differences' row d
// (columns [12, w - 12)) and the samples' row m; `rows` holds three rows.
ORVEX_INLINE void RiGreenRowDetail(const RiWindow& win, const float* d, const float* m,
                                   const RiGreenRings& r, float* rows, size_t y) {
    const size_t w = win.w;
    float *low = rows, *dg = rows + w, *mg = rows + 2 * w;
    RiSites(16, w - 16, [&](size_t x) { low[x] = RiLowPass(d + x, 1); });
    RiSites(17, w - 17, [&](size_t x) {
        dg[x] = std::fabs(low[x - 1] - low[x + 1]);
        mg[x] = std::fabs(m[x - 1] - m[x + 1]);
    });
    float* __restrict dr = r.detailRow[y], * __restrict lr = r.levelRow[y];
    RiSites(20, w - 20, [&](size_t x) { dr[x] = RiSeven(dg + x, 1), lr[x] = RiSeven(mg + x, 1); });
}

// Row y of [17, h - 17) of the gradients down the columns, of the column
// low-pass (rows y - 1 and y + 1 of its ring) and of the samples m, at
// columns [18, w - 18), and when `quads` their quad sums down rows y - 3 ..
// y (from row 20 of the window on).
ORVEX_INLINE void RiGreenColumnDetail(const RiWindow& win, const float* m, const RiGreenRings& r,
                                      size_t y, bool quads) {
    const size_t w = win.w;
    const float *s0 = r.sv[y - 1], *s1 = r.sv[y + 1];
    const float *m0 = m + (y - 1) * w, *m1 = m + (y + 1) * w;
    float* __restrict dc = r.detailColumn[y];
    float* __restrict lc = r.levelColumn[y];
    RiSites(18, w - 18, [&](size_t x) {
        dc[x] = std::fabs(s0[x] - s1[x]);
        lc[x] = std::fabs(m0[x] - m1[x]);
    });
    if (!quads) return;
    RiQuadRows(r.detailColumn[y - 3], r.detailColumn[y - 2], r.detailColumn[y - 1], dc,
               r.detailQuad[y - 3], 18, w - 18);
    RiQuadRows(r.levelColumn[y - 3], r.levelColumn[y - 2], r.levelColumn[y - 1], lc,
               r.levelQuad[y - 3], 18, w - 18);
}

// Seven-row sums of a column ring at row y, its quad sums q (rows y - 3 ..
// y) and rows y + 1 .. y + 3 of v, over [a, b).
ORVEX_INLINE void RiSevenRows(const RiRing& q, const RiRing& v, size_t y, float* __restrict out,
                              size_t a, size_t b) {
    const float *q0 = q[y - 3], *v1 = v[y + 1], *v2 = v[y + 2], *v3 = v[y + 3];
    RiSites(a, b, [&](size_t x) { out[x] = q0[x] + ((v1[x] + v2[x]) + v3[x]); });
}

// The share from its sums: detail over level plus the floor, at most 1.
ORVEX_INLINE float RiShareOf(float detail, float level, float floor) {
    const float share = detail / (level + floor);
    return share < 1.0f ? share : 1.0f;
}

// Row y of [20, h - 20) of the share at columns [20, w - 20), from the row
// sums of rows y - 2 .. y + 2 and the column gradients of rows y - 3 .. y +
// 3; `rows` holds two rows.
ORVEX_INLINE void RiGreenShare(const RiWindow& win, const RiGreenRings& r, float* rows, size_t y) {
    const size_t w = win.w;
    const float floor = win.limit * 1e-3f;
    float *dc = rows, *lc = rows + w;
    RiSevenRows(r.detailQuad, r.detailColumn, y, dc, 18, w - 18);
    RiSevenRows(r.levelQuad, r.levelColumn, y, lc, 18, w - 18);
    const float *d0 = r.detailRow[y - 2], *d1 = r.detailRow[y - 1], *d2 = r.detailRow[y],
                *d3 = r.detailRow[y + 1], *d4 = r.detailRow[y + 2];
    const float *l0 = r.levelRow[y - 2], *l1 = r.levelRow[y - 1], *l2 = r.levelRow[y],
                *l3 = r.levelRow[y + 1], *l4 = r.levelRow[y + 2];
    float* __restrict out = r.share[y];
    RiSites(20, w - 20, [&](size_t x) {
        const float detail =
            ((((d0[x] + d1[x]) + d2[x]) + d3[x]) + d4[x]) + RiFiveAcross(dc + x, 1);
        const float level = ((((l0[x] + l1[x]) + l2[x]) + l3[x]) + l4[x]) + RiFiveAcross(lc + x, 1);
        out[x] = RiShareOf(detail, level, floor);
    });
}

}  // namespace
}  // namespace orvex
