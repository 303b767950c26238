// The directional stage of the residual-interpolation demosaic: green minus
// the line's colour at every site of a line, along a row of the strip or
// along a block of its columns side by side. Included by ri_rows.h.
//
// A line alternates green and one colour, so the sites of a site's own
// colour within its 11-site window are those an even step away (5), the
// other colour's those an odd step away (6). Each window sum is split so:
// five sites ((q[-4] + q[-2]) + (q[0] + q[2])) + q[4], six sites
// ((q[-5] + q[-3]) + (q[-1] + q[1])) + (q[3] + q[5]); the pair and quad
// sums are shared by neighbouring windows, and every site's sum is the same
// expression of its own neighbours, whatever the strip or the vector width.
#pragma once

#include <algorithm>
#include <cstddef>

#include "core/samples.h"

#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_RI_IVDEP _Pragma("GCC ivdep")
#else
#define ORVEX_RI_IVDEP
#endif

namespace orvex {
namespace {

ORVEX_INLINE float RiClip(float v, float limit) {
    return std::min(std::max(v, 0.0f), limit);
}

// Guided-filter slope from sums over n sites of target t, guide g, t g, g g.
ORVEX_INLINE float RiSlope(float t, float g, float tg, float gg, float inverse, float floor) {
    const float mt = t * inverse, mg = g * inverse;
    const float spread = gg * inverse - mg * mg;
    return (tg * inverse - mg * mt) / ((spread > 0 ? spread : 0) + floor);
}

// Rows of scratch a line needs, each as long as the line.
inline constexpr size_t kRiLineRows = 19;

// Lines side by side: site x of line l at x * L + l; a step along the lines
// is L floats, so every stage is one loop over [a L, b L).
//
// Pair sums p2[j] = q[j] + q[j + 2 L] over sites [a, b + 7) and quad sums
// p4[j] = p2[j] + p2[j + 4 L] over [a, b): what the windows centred at
// [a + 5, b + 4) read.
template <size_t L>
ORVEX_INLINE void RiPairs(const float* __restrict q, float* __restrict p2, float* __restrict p4,
                          size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t j = a * L; j < (b + 7) * L; ++j) p2[j] = q[j] + q[j + 2 * L];
    ORVEX_RI_IVDEP
    for (size_t j = a * L; j < b * L; ++j) p4[j] = p2[j] + p2[j + 4 * L];
}

// Green minus the line's colour at sites [12, n - 12) of L lines of n >= 25
// samples m, into diff; site x of line l is green when (x + l) & 1 equals
// `green`. Scratch holds kRiLineRows rows of n L floats.
template <size_t L>
ORVEX_INLINE void RiLines(const float* __restrict m, size_t n, size_t green, float limit,
                          float floor, float* scratch, float* __restrict diff) {
    constexpr size_t s = L;
    float* row[kRiLineRows];
    for (size_t k = 0; k < kRiLineRows; ++k) row[k] = scratch + k * n * L;
    float* __restrict o = row[0], * __restrict tg = row[1], * __restrict gg = row[2];
    // The line's other colour, linearly interpolated, and the products.
    ORVEX_RI_IVDEP
    for (size_t x = s; x < (n - 1) * s; ++x) {
        const float v = (m[x - s] + m[x + s]) * 0.5f;
        o[x] = v;
        tg[x] = m[x] * v;
        gg[x] = v * v;
    }
    // Coefficients of the window centred at each site of [6, n - 6): the
    // site's own colour as target over its 5 sites, the other over 6, each
    // with the other's interpolation as guide.
    const float* q[4] = {m, o, tg, gg};
    float *p2[4], *p4[4];
    for (size_t k = 0; k < 4; ++k) {
        p2[k] = row[3 + 2 * k], p4[k] = row[4 + 2 * k];
        RiPairs<L>(q[k], p2[k], p4[k], 1, n - 10);
    }
    float* __restrict as = row[11], * __restrict bs = row[12], * __restrict ao = row[13], * __restrict bo = row[14];
    {
        const float *t2 = p2[0], *t4 = p4[0], *g2 = p2[1], *g4 = p4[1];
        const float *x2 = p2[2], *x4 = p4[2], *y2 = p2[3], *y4 = p4[3];
        ORVEX_RI_IVDEP
        for (size_t x = 6 * s; x < (n - 6) * s; ++x) {
            const float st = t4[x - 4 * s] + m[x + 4 * s], ot = t4[x - 5 * s] + t2[x + 3 * s];
            const float sg = g4[x - 4 * s] + o[x + 4 * s], og = g4[x - 5 * s] + g2[x + 3 * s];
            const float stg = x4[x - 4 * s] + tg[x + 4 * s], otg = x4[x - 5 * s] + x2[x + 3 * s];
            const float sgg = y4[x - 4 * s] + gg[x + 4 * s], ogg = y4[x - 5 * s] + y2[x + 3 * s];
            const float same = RiSlope(st, sg, stg, sgg, 1.0f / 5, floor);
            const float oth = RiSlope(ot, og, otg, ogg, 1.0f / 6, floor);
            as[x] = same;
            bs[x] = (st - same * sg) * (1.0f / 5);
            ao[x] = oth;
            bo[x] = (ot - oth * og) * (1.0f / 6);
        }
    }
    // Tentative estimates at [11, n - 11), clipped: the own colour from the
    // interpolated guide (for its residual), the other colour from the
    // sample. The own colour's coefficients are the "same" ones at the even
    // steps and the "other" ones at the odd steps.
    const float* c[4] = {as, bs, ao, bo};
    for (size_t k = 0; k < 4; ++k) RiPairs<L>(c[k], p2[k], p4[k], 6, n - 15);
    float* __restrict tent = row[15], * __restrict res = row[16];
    {
        const float *as2 = p2[0], *as4 = p4[0], *bs2 = p2[1], *bs4 = p4[1];
        const float *ao2 = p2[2], *ao4 = p4[2], *bo2 = p2[3], *bo4 = p4[3];
        const float eleventh = 1.0f / 11;
        ORVEX_RI_IVDEP
        for (size_t x = 11 * s; x < (n - 11) * s; ++x) {
            const float oa = (as4[x - 4 * s] + as[x + 4 * s]) + (ao4[x - 5 * s] + ao2[x + 3 * s]);
            const float ob = (bs4[x - 4 * s] + bs[x + 4 * s]) + (bo4[x - 5 * s] + bo2[x + 3 * s]);
            const float xa = (ao4[x - 4 * s] + ao[x + 4 * s]) + (as4[x - 5 * s] + as2[x + 3 * s]);
            const float xb = (bo4[x - 4 * s] + bo[x + 4 * s]) + (bs4[x - 5 * s] + bs2[x + 3 * s]);
            const float own = RiClip(oa * eleventh * o[x] + ob * eleventh, limit);
            res[x] = m[x] - own;
            tent[x] = RiClip(xa * eleventh * m[x] + xb * eleventh, limit);
        }
    }
    for (size_t x = 12; x + 12 < n; ++x) {
        const size_t at = x * s;
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const size_t j = at + l;
            const float est = tent[j] + (res[j - s] + res[j + s]) * 0.5f;
            diff[j] = ((x + l) & 1) == green ? m[j] - est : est - m[j];
        }
    }
}

}  // namespace
}  // namespace orvex
