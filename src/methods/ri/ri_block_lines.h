// The directional stage of the residual-interpolation demosaic along a
// block of columns, its stages advancing together down the block with their
// intermediates in rings of the level-1 cache. The values are those of
// RiLines<L> (ri_lines.h). Included by ri_rows.h.
#pragma once

#include <cstddef>

#include "methods/ri/ri_lines.h"

namespace orvex {
namespace {

// The same stages along a block of L columns, advancing together down the
// block a step at a time, each a fixed number of steps behind the one it
// reads (pair sums at x, coefficients at x - 3 - k, their pair sums at
// x - 5 - 2k, tentative estimates at x - 8 - 3k, differences at x - 9 - 4k),
// so every intermediate lives in a ring of kRiLineSteps steps of L lanes and
// stays in the level-1 cache. The slack k lets no stage wait on one of the
// same step, so consecutive steps overlap (a window reads 9 steps of pair
// sums, which with the slack fill a ring). Every value is the same
// expression of the same inputs as in RiLines<L>, so the bytes are
// RiLines<L>'s.
inline constexpr size_t kRiLineSteps = 16, kRiLineSlack = 7;
static_assert(9 + kRiLineSlack <= kRiLineSteps, "a window's pair sums outlive their ring");

// A window's five- and six-site sums from a ring's pair sums at the steps
// y - 5, y - 4, y - 1, y and y + 3 (their places in the ring).
struct RiWindowSteps {
    size_t m5, m4, m1, z, p3;
};
ORVEX_INLINE float RiFiveIn(const float* p, const RiWindowSteps& o, size_t l, float v) {
    return (p[o.m4 + l] + p[o.z + l]) + v;
}
ORVEX_INLINE float RiSixIn(const float* p, const RiWindowSteps& o, size_t l) {
    return (p[o.m5 + l] + p[o.m1 + l]) + p[o.p3 + l];
}

template <size_t L>
struct RiBlockLines {
    // Rings: the samples' pair sums 0-3, the coefficients 4-5, their pair
    // sums 6-7, the tentative estimate 8 and the residual 9, each of
    // kRiLineSteps steps.
    static constexpr size_t kRing = kRiLineSteps * L;
    const float* m;
    size_t ms;
    size_t green;
    float limit, floor;
    float* ring;
    float* diff;
    size_t ds;

    // Where step x lies in any ring.
    static ORVEX_INLINE size_t At(size_t x) { return (x & (kRiLineSteps - 1)) * L; }
    static ORVEX_INLINE RiWindowSteps Window(size_t y) {
        return {At(y - 5), At(y - 4), At(y - 1), At(y), At(y + 3)};
    }

    ORVEX_INLINE void Pairs(size_t x) const {
        float* __restrict r = ring;
        const size_t o = At(x);
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const size_t i = x * ms + l;
            const RiProducts u = RiProductsAt(m, i, ms), v = RiProductsAt(m, i + 2 * ms, ms);
            r[o + l] = u.t + v.t, r[kRing + o + l] = u.g + v.g, r[2 * kRing + o + l] = u.tg + v.tg;
            r[3 * kRing + o + l] = u.gg + v.gg;
        }
    }

    ORVEX_INLINE void Coefficients(size_t y) const {
        float* __restrict r = ring;
        const RiWindowSteps o = Window(y);
        const float *t2 = r, *g2 = r + kRing, *x2 = r + 2 * kRing, *y2 = r + 3 * kRing;
        float* c = r + 4 * kRing + At(y);
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const RiProducts e = RiProductsAt(m, (y + 4) * ms + l, ms);
            const RiFit f =
                RiFitOf(RiFiveIn(t2, o, l, e.t), RiFiveIn(g2, o, l, e.g), RiFiveIn(x2, o, l, e.tg),
                        RiFiveIn(y2, o, l, e.gg), 1.0f / 5, floor);
            c[l] = f.a, c[kRing + l] = f.b;
        }
    }

    ORVEX_INLINE void CoefficientPairs(size_t x) const {
        float* __restrict r = ring + 4 * kRing;
        const size_t a = At(x), b = At(x + 2);
        for (size_t k = 0; k < 2; ++k) {
            ORVEX_RI_IVDEP
            for (size_t l = 0; l < L; ++l)
                r[2 * kRing + k * kRing + a + l] = r[k * kRing + a + l] + r[k * kRing + b + l];
        }
    }

    ORVEX_INLINE void Tentative(size_t y) const {
        float* __restrict r = ring;
        const RiWindowSteps o = Window(y);
        const size_t e = At(y + 4), at = At(y);
        const float *as = r + 4 * kRing, *bs = r + 5 * kRing;
        const float *as2 = r + 6 * kRing, *bs2 = r + 7 * kRing;
        float *tent = r + 8 * kRing + at, *res = r + 9 * kRing + at;
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const size_t i = y * ms + l;
            const float oa = RiFiveIn(as2, o, l, as[e + l]), xa = RiSixIn(as2, o, l);
            const float ob = RiFiveIn(bs2, o, l, bs[e + l]), xb = RiSixIn(bs2, o, l);
            const float v = (m[i - ms] + m[i + ms]) * 0.5f;
            const float own = RiClip((oa * v + ob) * (1.0f / 5), limit);
            res[l] = m[i] - own;
            tent[l] = RiClip((xa * m[i] + xb) * (1.0f / 6), limit);
        }
    }

    ORVEX_INLINE void Differences(size_t x) const {
        const float* tent = ring + 8 * kRing + At(x);
        const float *res = ring + 9 * kRing, *before = res + At(x - 1), *after = res + At(x + 1);
        float* __restrict d = diff + x * ds;
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const size_t i = x * ms + l;
            const float est = tent[l] + (before[l] + after[l]) * 0.5f;
            d[l] = ((x + l) & 1) == green ? m[i] - est : est - m[i];
        }
    }

    // Sites [12, n - 12) of n >= 25, as RiLines<L>; a step's stages are
    // those with a site there.
    ORVEX_INLINE void Run(size_t n) const {
        constexpr size_t k = kRiLineSlack;
        constexpr size_t c = 3 + k, q = 5 + 2 * k, t = 8 + 3 * k, d = 9 + 4 * k;
        for (size_t x = 1; x < n - 3 + 4 * k; ++x) {
            if (x >= 2 && x < n - 6) Pairs(x);
            if (x >= 6 + c && x < n - 6 + c) Coefficients(x - c);
            if (x >= 6 + q && x < n - 8 + q) CoefficientPairs(x - q);
            if (x >= 11 + t && x < n - 11 + t) Tentative(x - t);
            if (x >= 12 + d && x < n - 12 + d) Differences(x - d);
        }
    }
};

// Green minus the line's colour along L columns side by side, as RiLines<L>
// with ms and ds the window's width, its scratch kRiLineRows rings of
// kRiLineSteps steps of L floats.
template <size_t L>
ORVEX_INLINE void RiColumnLines(const float* m, size_t ms, size_t n, size_t green, float limit,
                                float floor, float* scratch, float* diff, size_t ds) {
    const RiBlockLines<L> b{m, ms, green, limit, floor, scratch, diff, ds};
    b.Run(n);
}

}  // namespace
}  // namespace orvex
