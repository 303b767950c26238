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
inline constexpr size_t kRiLineRows = 24;

// Lines side by side: site x of line l at x * L + l; a step along the lines
// is L floats, so every stage is one loop over [a L, b L).
//
// Pair sums p2[j] = q[j] + q[j + 2 L] over sites [a, b + 7) and quad sums
// p4[j] = p2[j] + p2[j + 4 L] over [a, b): what the windows centred at
// [a + 5, b + 4) read. Both in one pass where both are wanted, the quad sum
// adding the pair sums at j and j + 4 L as they are formed.
template <size_t L>
ORVEX_INLINE void RiPairs(const float* __restrict q, float* __restrict p2, float* __restrict p4,
                          size_t a, size_t b) {
    ORVEX_RI_IVDEP
    for (size_t j = a * L; j < b * L; ++j) {
        const float near = q[j] + q[j + 2 * L], far = q[j + 4 * L] + q[j + 6 * L];
        p2[j] = near;
        p4[j] = near + far;
    }
    ORVEX_RI_IVDEP
    for (size_t j = b * L; j < (b + 7) * L; ++j) p2[j] = q[j] + q[j + 2 * L];
}

// The weight of a window's fit: the inverse of the mean squared error of
// target minus slope a times guide minus offset b over its `count` sites,
// from the window's sums, plus a floor.
ORVEX_INLINE float RiFitWeight(float t, float g, float tg, float gg, float tt, float a, float b,
                               float count, float inverse, float floor) {
    const float e =
        ((((tt - 2.0f * a * tg) - 2.0f * b * t) + a * a * gg) + 2.0f * a * b * g) + count * b * b;
    return 1.0f / ((e > 0 ? e : 0) * inverse + floor);
}

// Green minus the line's colour at sites [12, n - 12) of L lines of n >= 25
// samples m, into diff; site x of line l is green when (x + l) & 1 equals
// `green`. Scratch holds kRiLineRows rows of n L floats.
template <size_t L>
ORVEX_INLINE void RiLines(const float* __restrict m, size_t n, size_t green, float limit,
                          float floor, float fitFloor, float* scratch, float* __restrict diff) {
    constexpr size_t s = L;
    float* row[kRiLineRows];
    for (size_t k = 0; k < kRiLineRows; ++k) row[k] = scratch + k * n * L;
    float* __restrict o = row[0], * __restrict tg = row[1], * __restrict gg = row[2], * __restrict tt = row[3];
    // The line's other colour, linearly interpolated, and the products.
    ORVEX_RI_IVDEP
    for (size_t x = s; x < (n - 1) * s; ++x) {
        const float v = (m[x - s] + m[x + s]) * 0.5f;
        o[x] = v;
        tg[x] = m[x] * v;
        gg[x] = v * v;
        tt[x] = m[x] * m[x];
    }
    // Coefficients of the window centred at each site of [6, n - 6): the
    // site's own colour as target over its 5 sites, the other over 6, each
    // with the other's interpolation as guide, and each weighted by the
    // inverse of its fit error; kept as w, w a and w b.
    const float* q[5] = {m, o, tg, gg, tt};
    float *p2[6], *p4[6];
    for (size_t k = 0; k < 6; ++k) p2[k] = row[4 + 2 * k], p4[k] = row[5 + 2 * k];
    for (size_t k = 0; k < 5; ++k) RiPairs<L>(q[k], p2[k], p4[k], 1, n - 10);
    float* __restrict ws = row[16], * __restrict as = row[17], * __restrict bs = row[18], * __restrict wo = row[19], * __restrict ao = row[20], * __restrict bo = row[21];
    {
        const float *t2 = p2[0], *t4 = p4[0], *g2 = p2[1], *g4 = p4[1];
        const float *x2 = p2[2], *x4 = p4[2], *y2 = p2[3], *y4 = p4[3], *z2 = p2[4], *z4 = p4[4];
        ORVEX_RI_IVDEP
        for (size_t x = 6 * s; x < (n - 6) * s; ++x) {
            const float st = t4[x - 4 * s] + m[x + 4 * s], ot = t4[x - 5 * s] + t2[x + 3 * s];
            const float sg = g4[x - 4 * s] + o[x + 4 * s], og = g4[x - 5 * s] + g2[x + 3 * s];
            const float stg = x4[x - 4 * s] + tg[x + 4 * s], otg = x4[x - 5 * s] + x2[x + 3 * s];
            const float sgg = y4[x - 4 * s] + gg[x + 4 * s], ogg = y4[x - 5 * s] + y2[x + 3 * s];
            const float stt = z4[x - 4 * s] + tt[x + 4 * s], ott = z4[x - 5 * s] + z2[x + 3 * s];
            const float same = RiSlope(st, sg, stg, sgg, 1.0f / 5, floor);
            const float sameB = (st - same * sg) * (1.0f / 5);
            const float oth = RiSlope(ot, og, otg, ogg, 1.0f / 6, floor);
            const float othB = (ot - oth * og) * (1.0f / 6);
            const float wSame =
                RiFitWeight(st, sg, stg, sgg, stt, same, sameB, 5.0f, 1.0f / 5, fitFloor);
            const float wOth =
                RiFitWeight(ot, og, otg, ogg, ott, oth, othB, 6.0f, 1.0f / 6, fitFloor);
            ws[x] = wSame, as[x] = wSame * same, bs[x] = wSame * sameB;
            wo[x] = wOth, ao[x] = wOth * oth, bo[x] = wOth * othB;
        }
    }
    // Tentative estimates at [11, n - 11), clipped: the own colour from the
    // interpolated guide (for its residual), the other colour from the
    // sample, by the weighted means of the coefficients. The own colour's
    // are the "same" ones at the even steps and the "other" ones at the odd
    // steps.
    const float* c[6] = {ws, as, bs, wo, ao, bo};
    for (size_t k = 0; k < 6; ++k) RiPairs<L>(c[k], p2[k], p4[k], 6, n - 15);
    float* __restrict tent = row[22], * __restrict res = row[23];
    {
        const float *ws2 = p2[0], *ws4 = p4[0], *as2 = p2[1], *as4 = p4[1], *bs2 = p2[2],
                    *bs4 = p4[2];
        const float *wo2 = p2[3], *wo4 = p4[3], *ao2 = p2[4], *ao4 = p4[4], *bo2 = p2[5],
                    *bo4 = p4[5];
        ORVEX_RI_IVDEP
        for (size_t x = 11 * s; x < (n - 11) * s; ++x) {
            const float ow = (ws4[x - 4 * s] + ws[x + 4 * s]) + (wo4[x - 5 * s] + wo2[x + 3 * s]);
            const float oa = (as4[x - 4 * s] + as[x + 4 * s]) + (ao4[x - 5 * s] + ao2[x + 3 * s]);
            const float ob = (bs4[x - 4 * s] + bs[x + 4 * s]) + (bo4[x - 5 * s] + bo2[x + 3 * s]);
            const float xw = (wo4[x - 4 * s] + wo[x + 4 * s]) + (ws4[x - 5 * s] + ws2[x + 3 * s]);
            const float xa = (ao4[x - 4 * s] + ao[x + 4 * s]) + (as4[x - 5 * s] + as2[x + 3 * s]);
            const float xb = (bo4[x - 4 * s] + bo[x + 4 * s]) + (bs4[x - 5 * s] + bs2[x + 3 * s]);
            const float own = RiClip(oa / ow * o[x] + ob / ow, limit);
            res[x] = m[x] - own;
            tent[x] = RiClip(xa / xw * m[x] + xb / xw, limit);
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
