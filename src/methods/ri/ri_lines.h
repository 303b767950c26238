// The directional stage of the residual-interpolation demosaic: green minus
// the line's colour at every site of one line (a row of the strip, or a
// column, read as a row of the transposed strip). Included by ri_rows.h.
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

// Pair sums p2[j] = q[j] + q[j + 2] over [a, b + 7) and quad sums
// p4[j] = p2[j] + p2[j + 4] over [a, b): what the windows centred at
// [a + 5, b + 4) read.
ORVEX_INLINE void RiPairs(const float* __restrict q, float* __restrict p2, float* __restrict p4,
                          size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t j = a; j < b + 7; ++j) p2[j] = q[j] + q[j + 2];
    ORVEX_RI_IVDEP
    for (size_t j = a; j < b; ++j) p4[j] = p2[j] + p2[j + 4];
}

// Green minus the line's colour at sites [12, n - 12) of a line of n >= 25
// samples m whose green sites have parity `green`, into diff; scratch holds
// kRiLineRows rows of n floats.
ORVEX_INLINE void RiLine(const float* __restrict m, size_t n, size_t green, float limit,
                         float floor, float* scratch, float* __restrict diff) {
    float* row[kRiLineRows];
    for (size_t k = 0; k < kRiLineRows; ++k) row[k] = scratch + k * n;
    float* __restrict o = row[0], * __restrict tg = row[1], * __restrict gg = row[2];
    // The line's other colour, linearly interpolated, and the products.
    ORVEX_RI_IVDEP
    for (size_t x = 1; x + 1 < n; ++x) {
        const float v = (m[x - 1] + m[x + 1]) * 0.5f;
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
        RiPairs(q[k], p2[k], p4[k], 1, n - 10);
    }
    float* __restrict as = row[11], * __restrict bs = row[12], * __restrict ao = row[13], * __restrict bo = row[14];
    {
        const float *t2 = p2[0], *t4 = p4[0], *g2 = p2[1], *g4 = p4[1];
        const float *x2 = p2[2], *x4 = p4[2], *y2 = p2[3], *y4 = p4[3];
        ORVEX_RI_IVDEP
        for (size_t x = 6; x + 6 < n; ++x) {
            const float st = t4[x - 4] + m[x + 4], ot = t4[x - 5] + t2[x + 3];
            const float sg = g4[x - 4] + o[x + 4], og = g4[x - 5] + g2[x + 3];
            const float stg = x4[x - 4] + tg[x + 4], otg = x4[x - 5] + x2[x + 3];
            const float sgg = y4[x - 4] + gg[x + 4], ogg = y4[x - 5] + y2[x + 3];
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
    for (size_t k = 0; k < 4; ++k) RiPairs(c[k], p2[k], p4[k], 6, n - 15);
    float* __restrict tent = row[15], * __restrict res = row[16];
    {
        const float *as2 = p2[0], *as4 = p4[0], *bs2 = p2[1], *bs4 = p4[1];
        const float *ao2 = p2[2], *ao4 = p4[2], *bo2 = p2[3], *bo4 = p4[3];
        const float eleventh = 1.0f / 11;
        ORVEX_RI_IVDEP
        for (size_t x = 11; x + 11 < n; ++x) {
            const float oa = (as4[x - 4] + as[x + 4]) + (ao4[x - 5] + ao2[x + 3]);
            const float ob = (bs4[x - 4] + bs[x + 4]) + (bo4[x - 5] + bo2[x + 3]);
            const float xa = (ao4[x - 4] + ao[x + 4]) + (as4[x - 5] + as2[x + 3]);
            const float xb = (bo4[x - 4] + bo[x + 4]) + (bs4[x - 5] + bs2[x + 3]);
            const float own = RiClip(oa * eleventh * o[x] + ob * eleventh, limit);
            res[x] = m[x] - own;
            tent[x] = RiClip(xa * eleventh * m[x] + xb * eleventh, limit);
        }
    }
    ORVEX_RI_IVDEP
    for (size_t x = 12; x + 12 < n; ++x) {
        const float est = tent[x] + (res[x - 1] + res[x + 1]) * 0.5f;
        diff[x] = (x & 1) == green ? m[x] - est : est - m[x];
    }
}

}  // namespace
}  // namespace orvex
