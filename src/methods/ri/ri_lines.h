// The directional stage of the residual-interpolation demosaic: green minus
// the line's colour at every site of a strip's window, along rows or along
// columns. Included by ri_rows.h.
//
// A window site's colour follows from the parity of its column plus row, so
// each loop runs over whole rows of a plane with the same operations at
// every site; the few choices by colour are selects the vectoriser keeps.
// Along a line, the sites of a site's own colour are those an even step
// away: the coefficients are kept per site as "for the site's own colour"
// and "for the other", and a window's sums take the one or the other by the
// step's parity, never by a test of colour.
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

// A strip's window: planes of w x h floats, site (x, y) at y * w + x.
struct RiWindow {
    size_t w, h;
    size_t greenParity;  // (x + y) & 1 of the green sites
    float limit, floor, varFloor;
    float* Row(float* plane, size_t y) const { return plane + y * w; }
};

ORVEX_INLINE float RiClip(float v, float limit) {
    return std::min(std::max(v, 0.0f), limit);
}

// Guided-filter slope from sums over n sites of target t, guide g, t g, g g.
ORVEX_INLINE float RiSlope(float t, float g, float tg, float gg, float inverse, float floor) {
    const float mt = t * inverse, mg = g * inverse;
    const float spread = gg * inverse - mg * mg;
    return (tg * inverse - mg * mt) / ((spread > 0 ? spread : 0) + floor);
}

// The directional scratch planes.
struct RiLinePlanes {
    float *other, *aSame, *bSame, *aOther, *bOther, *tentative, *residual;
};

// Green minus the line's colour at every site where the line reaches 12
// sites on both sides: along rows (step 1) or columns (step w), written to
// diff. Sites nearer the window's edge along the line are not written.
ORVEX_INLINE void RiLineDifferences(const RiWindow& win, const float* m, const RiLinePlanes& p,
                                    float* diff, bool alongRows) {
    const ptrdiff_t s = alongRows ? 1 : ptrdiff_t(win.w);
    const size_t w = win.w, h = win.h;
    // Sites at least r from the window's edge along the line: columns
    // [x0, x1) of rows [y0, y1).
    auto run = [&](size_t r, auto&& body) {
        const size_t x0 = alongRows ? r : 0, x1 = alongRows ? w - r : w;
        const size_t y0 = alongRows ? 0 : r, y1 = alongRows ? h : h - r;
        for (size_t y = y0; y < y1; ++y) body(y, x0, x1);
    };
    run(1, [&](size_t y, size_t x0, size_t x1) {
        const float* mm = m + y * w;
        float* o = p.other + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = x0; x < x1; ++x) o[x] = (mm[x - s] + mm[x + s]) * 0.5f;
    });
    // Coefficients of the 11-site window centred at each site: the site's
    // own colour over the 5 sites an even step away, the other over 6.
    run(6, [&](size_t y, size_t x0, size_t x1) {
        const float* t = m + y * w;
        const float* g = p.other + y * w;
        float *as = p.aSame + y * w, *bs = p.bSame + y * w;
        float *ao = p.aOther + y * w, *bo = p.bOther + y * w;
        const float floor = win.floor;
        ORVEX_RI_IVDEP
        for (size_t x = x0; x < x1; ++x) {
            float st = 0, sg = 0, stg = 0, sgg = 0, ot = 0, og = 0, otg = 0, ogg = 0;
            for (ptrdiff_t k = -5; k <= 5; ++k) {
                const ptrdiff_t i = ptrdiff_t(x) + k * s;
                const float tk = t[i], gk = g[i];
                if ((k & 1) == 0)
                    st += tk, sg += gk, stg += tk * gk, sgg += gk * gk;
                else
                    ot += tk, og += gk, otg += tk * gk, ogg += gk * gk;
            }
            const float same = RiSlope(st, sg, stg, sgg, 1.0f / 5, floor);
            const float oth = RiSlope(ot, og, otg, ogg, 1.0f / 6, floor);
            as[x] = same;
            bs[x] = (st - same * sg) * (1.0f / 5);
            ao[x] = oth;
            bo[x] = (ot - oth * og) * (1.0f / 6);
        }
    });
    // Tentative estimates, clipped: the own colour from the interpolated
    // guide (for its residual), the other colour from the sample.
    run(11, [&](size_t y, size_t x0, size_t x1) {
        const float* mm = m + y * w;
        const float* o = p.other + y * w;
        const float *as = p.aSame + y * w, *bs = p.bSame + y * w;
        const float *ao = p.aOther + y * w, *bo = p.bOther + y * w;
        float *tent = p.tentative + y * w, *res = p.residual + y * w;
        const float limit = win.limit;
        constexpr float kEleventh = 1.0f / 11;
        ORVEX_RI_IVDEP
        for (size_t x = x0; x < x1; ++x) {
            float oa = 0, ob = 0, xa = 0, xb = 0;  // own colour's, other colour's means
            for (ptrdiff_t k = -5; k <= 5; ++k) {
                const ptrdiff_t i = ptrdiff_t(x) + k * s;
                if ((k & 1) == 0)
                    oa += as[i], ob += bs[i], xa += ao[i], xb += bo[i];
                else
                    oa += ao[i], ob += bo[i], xa += as[i], xb += bs[i];
            }
            const float own = RiClip(oa * kEleventh * o[x] + ob * kEleventh, limit);
            const float other = RiClip(xa * kEleventh * mm[x] + xb * kEleventh, limit);
            res[x] = mm[x] - own;
            tent[x] = other;
        }
    });
    run(12, [&](size_t y, size_t x0, size_t x1) {
        const float* mm = m + y * w;
        const float *tent = p.tentative + y * w, *res = p.residual + y * w;
        float* d = diff + y * w;
        const size_t green = (win.greenParity + y) & 1;  // x & 1 of the row's green sites
        ORVEX_RI_IVDEP
        for (size_t x = x0; x < x1; ++x) {
            const float est = tent[x] + (res[x - s] + res[x + s]) * 0.5f;
            d[x] = (x & 1) == green ? mm[x] - est : est - mm[x];
        }
    });
}

}  // namespace
}  // namespace orvex
