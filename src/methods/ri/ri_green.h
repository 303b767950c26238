// The green stage of the residual-interpolation demosaic: green at the
// colour sites from both directions' LMMSE estimates of the difference,
// weighted by their gradients, drawn towards the same weighting of the
// differences barely smoothed by the share of the local detail that the
// colour differences carry (ri_share.h). Included by ri_rows.h.
//
// Each direction's statistics are sums over nine sites in the order
// ((a[-4] + a[-3]) + (a[-2] + a[-1])) + ((a[0] + a[1]) + (a[2] + a[3]))
// + a[4]; the quad sums in brackets are shared by neighbouring sites.
//
// The stage runs a row at a time behind the row differences: its
// intermediate rows live in rings of kRiRingRows rows, so what a row reads
// was written a few rows before and is still in cache.
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
    float limit, floor, varFloor, gradientFloor;
};

// Rows of a window kept while they are read: row y at slot y mod
// kRiRingRows; no reader is more than ten rows behind the newest.
inline constexpr size_t kRiRingRows = 16;
struct RiRing {
    float* base;
    size_t w;
    float* operator[](size_t y) const { return base + (y & (kRiRingRows - 1)) * w; }
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

// The terms a site adds to its direction's sums, from its low-pass sm and
// difference df: the low-pass, its square and the squared residual. Formed
// where they are summed rather than stored and read back.
struct RiTerms {
    float sm, sq, ns;
};
ORVEX_INLINE RiTerms RiTermsOf(float sm, float df) {
    const float e = df - sm;
    return {sm, sm * sm, e * e};
}

// The quad sums of the terms of four sites, (a + b) + (c + d), into q[0..2]
// at x.
ORVEX_INLINE void RiQuadTerms(const RiTerms& a, const RiTerms& b, const RiTerms& c,
                              const RiTerms& d, float* const* q, size_t x) {
    q[0][x] = (a.sm + b.sm) + (c.sm + d.sm);
    q[1][x] = (a.sq + b.sq) + (c.sq + d.sq);
    q[2][x] = (a.ns + b.ns) + (c.ns + d.ns);
}

// Quad sums along a row, q[x] = (v[x] + v[x + 1]) + (v[x + 2] + v[x + 3]),
// over [a, b).
ORVEX_INLINE void RiQuads(const float* __restrict v, float* __restrict q, size_t a, size_t b) {
    RiSites(a, b, [&](size_t x) { q[x] = (v[x] + v[x + 1]) + (v[x + 2] + v[x + 3]); });
}

// Quad sums down four rows, (v0 + v1) + (v2 + v3), over [a, b).
ORVEX_INLINE void RiQuadRows(const float* __restrict v0, const float* __restrict v1,
                             const float* __restrict v2, const float* __restrict v3,
                             float* __restrict q, size_t a, size_t b) {
    RiSites(a, b, [&](size_t x) { q[x] = (v0[x] + v1[x]) + (v2[x] + v3[x]); });
}

// Nine-site sums from two quad sums and the ninth site, (q0 + q1) + v,
// over [a, b).
ORVEX_INLINE void RiNineRows(const float* __restrict q0, const float* __restrict q1,
                             const float* __restrict v, float* __restrict out, size_t a, size_t b) {
    RiSites(a, b, [&](size_t x) { out[x] = (q0[x] + q1[x]) + v[x]; });
}

// The green stage's rings: the column low-pass, the quad sums down the
// columns of its terms, the column gradients and their quad sums, the row
// gradients' nine-site sums; for the share of detail, the seven-site sums
// along each row of the row low-pass's gradient and of the samples', the
// column low-pass's and the samples' gradients down the columns and their
// quad sums down four rows, and the share itself.
inline constexpr size_t kRiGreenRings = 14;
struct RiGreenRings {
    RiRing sv, quad[3], gv, gvq, gh;
    RiRing detailRow, levelRow, detailColumn, levelColumn, detailQuad, levelQuad, share;
};

// Row y of [16, h - 16) of the column terms from the column differences dv
// (rows [12, h - 12), columns [18, w - 18)): low-pass and gradients at
// columns [18, w - 18).
ORVEX_INLINE void RiGreenColumnRow(const RiWindow& win, const float* dv, const RiGreenRings& r,
                                   size_t y) {
    const size_t w = win.w;
    const ptrdiff_t s = ptrdiff_t(w);
    const float* d = dv + y * w;
    float* __restrict out = r.sv[y];
    RiSites(18, w - 18, [&](size_t x) { out[x] = RiLowPass(d + x, s); });
    float* __restrict gv = r.gv[y];
    RiSites(18, w - 18, [&](size_t x) { gv[x] = std::fabs(d[x - w] - d[x + w]); });
}

// Row y of [16, h - 19) of the quad sums down the columns (rows y .. y + 3).
ORVEX_INLINE void RiGreenQuadRow(const RiWindow& win, const float* dv, const RiGreenRings& r,
                                 size_t y) {
    const size_t w = win.w;
    const float *s0 = r.sv[y], *s1 = r.sv[y + 1], *s2 = r.sv[y + 2], *s3 = r.sv[y + 3];
    const float* d = dv + y * w;
    float* const q[3] = {r.quad[0][y], r.quad[1][y], r.quad[2][y]};
    RiSites(20, w - 20, [&](size_t x) {
        RiQuadTerms(RiTermsOf(s0[x], d[x]), RiTermsOf(s1[x], d[x + w]),
                    RiTermsOf(s2[x], d[x + 2 * w]), RiTermsOf(s3[x], d[x + 3 * w]), q, x);
    });
    RiQuadRows(r.gv[y], r.gv[y + 1], r.gv[y + 2], r.gv[y + 3], r.gvq[y], 18, w - 18);
}

// Row y of [18, h - 18) of the row gradients' nine-site sums, from the row
// differences' row (columns [12, w - 12)); `rows` holds two rows.
ORVEX_INLINE void RiGreenRowGradients(const RiWindow& win, const float* d, const RiGreenRings& r,
                                      float* rows, size_t y) {
    const size_t w = win.w;
    float *hg = rows, *hgq = rows + w;
    RiSites(13, w - 13, [&](size_t x) { hg[x] = std::fabs(d[x - 1] - d[x + 1]); });
    RiQuads(hg, hgq, 16, w - 19);
    float* __restrict gh = r.gh[y];
    RiSites(20, w - 20, [&](size_t x) { gh[x] = (hgq[x - 4] + hgq[x]) + hg[x + 4]; });
}

// A direction's difference kept sharp: ((u[-1] + u[1]) + 2 u[0]) / 4, the
// sites s apart.
ORVEX_INLINE float RiSharp(const float* u, ptrdiff_t s) {
    return ((u[-s] + u[s]) + 2.0f * u[0]) * 0.25f;
}

// Green at row y of [20, h - 20), columns [20, w - 20): each direction's
// LMMSE estimate, weighted by the inverse square of its gradient |d[-1] -
// d[1]| summed over 9 sites along it (nine-site sums) and 5 across (in
// order), drawn towards the same weighting of the differences kept sharp by
// the share of row y. dh is the row differences' row y; the rings hold the
// column terms to row y + 4, the row gradients to row y + 2 and the share;
// `rows` holds five rows.
ORVEX_INLINE void RiGreenFuse(const RiWindow& win, const float* m, const float* d, const float* dv,
                              const RiGreenRings& r, float* rows, float* g, size_t y) {
    const size_t w = win.w;
    const float floor = win.varFloor, gradientFloor = win.gradientFloor;
    const float inverseLimit = 1.0f / win.limit;
    float *sh = rows, *cv = rows + 4 * w;
    float* const hquad[3] = {rows + w, rows + 2 * w, rows + 3 * w};
    const size_t at = y * w;
    RiSites(16, w - 16, [&](size_t x) { sh[x] = RiLowPass(d + x, 1); });
    RiSites(16, w - 19, [&](size_t x) {
        RiQuadTerms(RiTermsOf(sh[x], d[x]), RiTermsOf(sh[x + 1], d[x + 1]),
                    RiTermsOf(sh[x + 2], d[x + 2]), RiTermsOf(sh[x + 3], d[x + 3]), hquad, x);
    });
    RiNineRows(r.gvq[y - 4], r.gvq[y], r.gv[y + 4], cv, 18, w - 18);
    const float *v1 = r.quad[0][y - 4], *v2 = r.quad[1][y - 4], *v3 = r.quad[2][y - 4];
    const float *u1 = r.quad[0][y], *u2 = r.quad[1][y], *u3 = r.quad[2][y];
    const float *e1 = r.sv[y + 4], *e4 = dv + at + 4 * w;
    const float *smv = r.sv[y], *dfv = dv + at, *mm = m + at;
    const float *h1 = hquad[0], *h2 = hquad[1], *h3 = hquad[2];
    const float *r0 = r.gh[y - 2], *r1 = r.gh[y - 1], *r2 = r.gh[y], *r3 = r.gh[y + 1],
                *r4 = r.gh[y + 2];
    const float* share = r.share[y];
    float* out = g + at;
    const size_t green = (win.greenParity + y) & 1;
    RiSites(20, w - 20, [&](size_t x) {
        const RiTerms th = RiTermsOf(sh[x + 4], d[x + 4]), tv = RiTermsOf(e1[x], e4[x]);
        const RiEstimate eh = RiLmmse((h1[x - 4] + h1[x]) + th.sm, (h2[x - 4] + h2[x]) + th.sq,
                                      (h3[x - 4] + h3[x]) + th.ns, sh[x], d[x], floor);
        const RiEstimate ev = RiLmmse((v1[x] + u1[x]) + tv.sm, (v2[x] + u2[x]) + tv.sq,
                                      (v3[x] + u3[x]) + tv.ns, smv[x], dfv[x], floor);
        const float gh5 = (((r0[x] + r1[x]) + r2[x]) + r3[x]) + r4[x];
        const float gv5 = (((cv[x - 2] + cv[x - 1]) + cv[x]) + cv[x + 1]) + cv[x + 2];
        // The directions' estimates weighted by 1 / a and 1 / b, a and b their
        // squared gradients (in units of the range, which keeps the products
        // within float range at 16 bits) plus the floor, over one division:
        // (b wh / th + a wv / tv) / (a + b) = (b wh tv + a wv th) / ((a + b) (th tv)),
        // each product the same whichever direction is which.
        const float gh = gh5 * inverseLimit, gv = gv5 * inverseLimit;
        const float a = gh * gh + gradientFloor, b = gv * gv + gradientFloor;
        // The sharp differences' weighted mean over the same denominator:
        // (b sh + a sv) / (a + b) = (b sh + a sv) (th tv) / ((a + b) (th tv)), the
        // two drawn together by the share before the one division.
        const float lmmse = b * eh.weighted * ev.total + a * ev.weighted * eh.total;
        const float totals = eh.total * ev.total;
        const float sharp = (b * RiSharp(d + x, 1) + a * RiSharp(dfv + x, ptrdiff_t(w))) * totals;
        const float fused = mm[x] + (lmmse + share[x] * (sharp - lmmse)) / ((a + b) * totals);
        out[x] = (x & 1) == green ? mm[x] : fused;
    });
}

}  // namespace
}  // namespace orvex
