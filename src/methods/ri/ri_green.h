// The green stage of the residual-interpolation demosaic: green at the
// colour sites from both directions' LMMSE estimates of the difference,
// weighted by their gradients. Included by ri_rows.h.
//
// Each direction's statistics are sums over nine sites in the order
// ((a[-4] + a[-3]) + (a[-2] + a[-1])) + ((a[0] + a[1]) + (a[2] + a[3]))
// + a[4]; the quad sums in brackets are shared by neighbouring sites.
#pragma once

#include <cmath>
#include <cstddef>

#include "methods/ri/ri_lines.h"

namespace orvex {
namespace {

// A strip's window: planes of w x h floats, site (x, y) at y * w + x.
struct RiWindow {
    size_t w, h;
    size_t greenParity;  // (x + y) & 1 of the green sites
    float limit, floor, varFloor, gradientFloor, fitFloor;
};

// Gaussian of sigma 2 over nine samples, exp(-k^2 / 8) normalised to sum 1.
constexpr float kRiLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                                 0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};

// The low-pass at a site from its nine samples a step s apart.
ORVEX_INLINE float RiLowPass(const float* u, ptrdiff_t s) {
    return (kRiLowPass[0] * (u[-4 * s] + u[4 * s]) + kRiLowPass[1] * (u[-3 * s] + u[3 * s])) +
           (kRiLowPass[2] * (u[-2 * s] + u[2 * s]) + kRiLowPass[3] * (u[-s] + u[s])) +
           kRiLowPass[4] * u[0];
}

// One direction's LMMSE estimate of the difference: signal variance S of
// the low-pass, noise variance N of the residual (difference minus
// low-pass), from the nine-site sums of the low-pass, its square and the
// squared residual; kept as the numerator N sm + S df, the product S N and
// the common denominator's term S + N.
struct RiEstimate {
    float weighted, error, total;
};

ORVEX_INLINE RiEstimate RiLmmse(float sum, float squares, float noiseSum, float sm, float df,
                                float floor) {
    constexpr float kNinth = 1.0f / 9;
    const float mean = sum * kNinth;
    const float spread = squares * kNinth - mean * mean;
    const float signal = (spread > 0 ? spread : 0) + floor;
    const float noise = noiseSum * kNinth + floor;
    return {noise * sm + signal * df, signal * noise, signal + noise};
}

// Per site of [a, b): the low-pass's square and the squared residual.
ORVEX_INLINE void RiSquares(const float* __restrict sm, const float* __restrict df,
                            float* __restrict sq, float* __restrict ns, size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t x = a; x < b; ++x) {
        const float e = df[x] - sm[x];
        sq[x] = sm[x] * sm[x];
        ns[x] = e * e;
    }
}

// Quad sums q[x] = (v[x] + v[x + s]) + (v[x + 2 s] + v[x + 3 s]) over [a, b).
ORVEX_INLINE void RiQuads(const float* __restrict v, float* __restrict q, ptrdiff_t s, size_t a,
                          size_t b) {
    ORVEX_RI_IVDEP
    for (size_t x = a; x < b; ++x) q[x] = (v[x] + v[x + s]) + (v[x + 2 * s] + v[x + 3 * s]);
}

// Sums of nine sites a step s apart, q the quad sums of v:
// (q[x - 4 s] + q[x]) + v[x + 4 s], over [a, b).
ORVEX_INLINE void RiNines(const float* __restrict v, const float* __restrict q,
                          float* __restrict out, ptrdiff_t s, size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t x = a; x < b; ++x) out[x] = (q[x - 4 * s] + q[x]) + v[x + 4 * s];
}

// Green at sites [20, h - 20) x [20, w - 20) from the row differences dh
// (rows [18, h - 18), columns [12, w - 12)) and the column differences dv
// (rows [12, h - 12), columns [18, w - 18)): each direction's LMMSE
// estimate, weighted by the inverse square of its gradient |d[-1] - d[1]|
// summed over 9 sites along it (nine-site sums) and 5 across (in order).
// `work` holds nine planes, `rows` nine rows.
ORVEX_INLINE void RiGreen(const RiWindow& win, const float* m, const float* dh, const float* dv,
                          float* const* work, float* rows, float* g) {
    const size_t w = win.w, h = win.h;
    const ptrdiff_t s = ptrdiff_t(w);
    const float floor = win.varFloor, gradientFloor = win.gradientFloor;
    // Along columns: low-pass, squares and quad sums as planes.
    float *sv = work[0], *sq = work[1], *ns = work[2];
    float* quad[3] = {work[3], work[4], work[5]};
    for (size_t y = 16; y + 16 < h; ++y) {
        const size_t at = y * w;
        float* out = sv + at;
        ORVEX_RI_IVDEP
        for (size_t x = 20; x + 20 < w; ++x) out[x] = RiLowPass(dv + at + x, s);
        RiSquares(out, dv + at, sq + at, ns + at, 20, w - 20);
    }
    const float* column[3] = {sv, sq, ns};
    for (size_t y = 16; y + 19 < h; ++y)
        for (size_t k = 0; k < 3; ++k) RiQuads(column[k] + y * w, quad[k] + y * w, s, 20, w - 20);
    // Gradients: along columns as planes (rows [16, h - 16), columns
    // [18, w - 18)), along rows their nine-site sums per row.
    float *gv = work[6], *gvq = work[7], *gh = work[8];
    for (size_t y = 16; y + 16 < h; ++y) {
        const float* d = dv + y * w;
        float* out = gv + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = 18; x + 18 < w; ++x) out[x] = std::fabs(d[x - w] - d[x + w]);
    }
    for (size_t y = 16; y + 19 < h; ++y) RiQuads(gv + y * w, gvq + y * w, s, 18, w - 18);
    float *hg = rows + 6 * w, *hgq = rows + 7 * w, *cv = rows + 8 * w;
    for (size_t y = 18; y + 18 < h; ++y) {
        const float* d = dh + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = 13; x + 13 < w; ++x) hg[x] = std::fabs(d[x - 1] - d[x + 1]);
        RiQuads(hg, hgq, 1, 16, w - 19);
        RiNines(hg, hgq, gh + y * w, 1, 20, w - 20);
    }
    // Along rows: the LMMSE terms per row, then the fusion.
    float *sh = rows, *hsq = rows + w, *hns = rows + 2 * w;
    float* hquad[3] = {rows + 3 * w, rows + 4 * w, rows + 5 * w};
    const float* line[3] = {sh, hsq, hns};
    for (size_t y = 20; y + 20 < h; ++y) {
        const size_t at = y * w;
        const float* d = dh + at;
        ORVEX_RI_IVDEP
        for (size_t x = 16; x + 16 < w; ++x) sh[x] = RiLowPass(d + x, 1);
        RiSquares(sh, d, hsq, hns, 16, w - 16);
        for (size_t k = 0; k < 3; ++k) RiQuads(line[k], hquad[k], 1, 16, w - 19);
        RiNines(gv + at, gvq + at, cv, s, 18, w - 18);
        const float *v1 = quad[0] + at - 4 * w, *v2 = quad[1] + at - 4 * w,
                    *v3 = quad[2] + at - 4 * w;
        const float *u1 = quad[0] + at, *u2 = quad[1] + at, *u3 = quad[2] + at;
        const float *e1 = sv + at + 4 * w, *e2 = sq + at + 4 * w, *e3 = ns + at + 4 * w;
        const float *smv = sv + at, *dfv = dv + at, *mm = m + at;
        const float *h1 = hquad[0], *h2 = hquad[1], *h3 = hquad[2];
        const float *r0 = gh + at - 2 * w, *r1 = r0 + w, *r2 = r1 + w, *r3 = r2 + w, *r4 = r3 + w;
        float* out = g + at;
        const size_t green = (win.greenParity + y) & 1;
        ORVEX_RI_IVDEP
        for (size_t x = 20; x + 20 < w; ++x) {
            const RiEstimate eh =
                RiLmmse((h1[x - 4] + h1[x]) + sh[x + 4], (h2[x - 4] + h2[x]) + hsq[x + 4],
                        (h3[x - 4] + h3[x]) + hns[x + 4], sh[x], d[x], floor);
            const RiEstimate ev = RiLmmse((v1[x] + u1[x]) + e1[x], (v2[x] + u2[x]) + e2[x],
                                          (v3[x] + u3[x]) + e3[x], smv[x], dfv[x], floor);
            const float gh5 = (((r0[x] + r1[x]) + r2[x]) + r3[x]) + r4[x];
            const float gv5 = (((cv[x - 2] + cv[x - 1]) + cv[x]) + cv[x + 1]) + cv[x + 2];
            const float wh = 1.0f / (gh5 * gh5 + gradientFloor);
            const float wv = 1.0f / (gv5 * gv5 + gradientFloor);
            const float fused =
                mm[x] + (wh * (eh.weighted / eh.total) + wv * (ev.weighted / ev.total)) / (wh + wv);
            out[x] = (x & 1) == green ? mm[x] : fused;
        }
    }
}

}  // namespace
}  // namespace orvex
