// The directional stage of the residual-interpolation demosaic: green minus
// the line's colour at every site of a line, along a row of the strip or
// along a block of its columns side by side. Included by ri_rows.h.
//
// A line alternates green and one colour. Each 11-site window fits the
// colour of its centre, over the 5 sites of that colour (an even step away),
// so the fits are taken on each colour's own sub-lattice of the line, as the
// fast guided filter takes them on a subsampled grid (He and Sun, "Fast
// guided filter", 2015); a site's estimate of a colour averages the fits of
// the windows centred on that colour's sites among the 11 covering it: 5 an
// even step away for its own colour, 6 an odd step away for the other. Each
// sum is split so: five sites ((q[-4] + q[-2]) + (q[0] + q[2])) + q[4], six
// sites ((q[-5] + q[-3]) + (q[-1] + q[1])) + (q[3] + q[5]); the pair sums
// are kept, shared by neighbouring windows, and every site's sum is the same
// expression of its own neighbours, whatever the strip or the vector width.
// The products and the quad sums are formed again where they are read
// rather than written and read back: a store costs more than the few
// multiplications and additions that remake the value.
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

// Floats of a cache line. A window's rows start on lines (its memory starts
// on one and its width is a whole number of them), and so do the blocks of
// columns whose differences are taken side by side, whose loads and stores
// then never split across two lines.
inline constexpr size_t kRiLineFloats = 16;

// Sites [a, b) of a pass along a row, f(x) at each: a line's worth from a,
// then those from the next line on, which computes the sites between twice
// (the same values: f writes nothing the pass reads). A row of the window
// starts on a line, so the vector loop's loads and stores at the site
// itself then fall on whole lines.
template <class F>
ORVEX_INLINE void RiSites(size_t a, size_t b, F&& f) {
    constexpr size_t kLine = kRiLineFloats;
    size_t x = a;
    if (a % kLine != 0 && b >= a + kLine) {
        ORVEX_RI_IVDEP
        for (size_t k = 0; k < kLine; ++k) f(a + k);
        x = (a + kLine) & ~(kLine - 1);
    }
    ORVEX_RI_IVDEP
    for (; x < b; ++x) f(x);
}

// v limited to 0 .. limit, written as the selects a zeroing mask and the
// vector minimum make (the library's clamp vectorises into compares and
// blends for each bound).
ORVEX_INLINE float RiClip(float v, float limit) {
    const float u = v > 0.0f ? v : 0.0f;
    return u < limit ? u : limit;
}

// A window's guided-filter fit of target t to guide g over its n sites,
// from its sums of t, g, t g and g g: the slope a = cov / (var g + floor)
// and the offset b = mean t - a mean g.
struct RiFit {
    float a, b;
};
ORVEX_INLINE RiFit RiFitOf(float t, float g, float tg, float gg, float inverse, float floor) {
    const float mt = t * inverse, mg = g * inverse;
    const float vgRaw = gg * inverse - mg * mg;
    const float vg = vgRaw > 0 ? vgRaw : 0;
    const float cov = tg * inverse - mg * mt;
    const float a = cov / (vg + floor);
    return {a, mt - a * mg};
}

// Rows of scratch a line needs, each as long as the line.
inline constexpr size_t kRiLineRows = 10;

// Lines side by side: site x of line l at x * L + l; a step along the lines
// is L floats, so every stage is one loop over [a L, b L).
//
// Pair sums p2[j] = q[j] + q[j + 2 L] over sites [a, b).
template <size_t L>
ORVEX_INLINE void RiPairs(const float* __restrict q, float* __restrict p2, size_t a, size_t b) {
    RiSites(a * L, b * L, [&](size_t j) { p2[j] = q[j] + q[j + 2 * L]; });
}

// The line's other colour at site j, linearly interpolated from the
// samples m either side, and the products of the sample and it.
struct RiProducts {
    float t, g, tg, gg;
};
ORVEX_INLINE RiProducts RiProductsAt(const float* m, size_t j, size_t s) {
    const float v = (m[j - s] + m[j + s]) * 0.5f;
    return {m[j], v, m[j] * v, v * v};
}

// A window's five-site sum from the pair sums p and the site four steps on,
// (p[-4] + p[0]) + v; its six-site sum, (p[-5] + p[-1]) + p[3]. s steps.
ORVEX_INLINE float RiFive(const float* p, size_t x, size_t s, float v) {
    return (p[x - 4 * s] + p[x]) + v;
}
ORVEX_INLINE float RiSix(const float* p, size_t x, size_t s) {
    return (p[x - 5 * s] + p[x - s]) + p[x + 3 * s];
}

// Green minus the line's colour at sites [12, n - 12) of L lines of n >= 25
// samples m, into diff; site x of line l is green when (x + l) & 1 equals
// `green`. The samples and the differences of site x of line l are at x ms
// + l and x ds + l, so a block of a window's columns is read and written
// where it lies (ms = ds = the window's width) and a row with ms = ds = 1.
// Scratch holds kRiLineRows rows of n L floats.
template <size_t L>
ORVEX_INLINE void RiLines(const float* __restrict m, size_t ms, size_t n, size_t green, float limit,
                          float floor, float* scratch, float* __restrict diff, size_t ds) {
    constexpr size_t s = L;
    float* row[kRiLineRows];
    for (size_t k = 0; k < kRiLineRows; ++k) row[k] = scratch + k * n * L;
    // Pair sums of the samples, the interpolated other colour and the
    // products, over sites [2, n - 6), what the windows centred at [6, n -
    // 6) read.
    {
        float* __restrict t2 = row[0], * __restrict g2 = row[1], * __restrict x2 = row[2], * __restrict y2 = row[3];
        RiSites(2, n - 6, [&](size_t x) {
            ORVEX_RI_IVDEP
            for (size_t l = 0; l < L; ++l) {
                const size_t j = x * s + l, i = x * ms + l;
                const RiProducts u = RiProductsAt(m, i, ms), v = RiProductsAt(m, i + 2 * ms, ms);
                t2[j] = u.t + v.t, g2[j] = u.g + v.g, x2[j] = u.tg + v.tg, y2[j] = u.gg + v.gg;
            }
        });
    }
    // Coefficients of the window centred at each site of [6, n - 6): the
    // site's own colour as target over its 5 sites, with the other's
    // interpolation as guide.
    float* __restrict as = row[4], * __restrict bs = row[5];
    {
        const float *t2 = row[0], *g2 = row[1], *x2 = row[2], *y2 = row[3];
        RiSites(6, n - 6, [&](size_t y) {
            ORVEX_RI_IVDEP
            for (size_t l = 0; l < L; ++l) {
                const size_t x = y * s + l;
                const RiProducts e = RiProductsAt(m, (y + 4) * ms + l, ms);
                const RiFit f =
                    RiFitOf(RiFive(t2, x, s, e.t), RiFive(g2, x, s, e.g), RiFive(x2, x, s, e.tg),
                            RiFive(y2, x, s, e.gg), 1.0f / 5, floor);
                as[x] = f.a, bs[x] = f.b;
            }
        });
    }
    // Tentative estimates at [11, n - 11), clipped: the own colour from the
    // interpolated guide (for its residual), the other colour from the
    // sample, by the mean coefficients of the windows centred on that
    // colour's sites, the 5 an even step away and the 6 an odd step away.
    const float* c[2] = {as, bs};
    for (size_t k = 0; k < 2; ++k) RiPairs<L>(c[k], row[6 + k], 6, n - 8);
    float* __restrict tent = row[8], * __restrict res = row[9];
    {
        const float *as2 = row[6], *bs2 = row[7];
        RiSites(11, n - 11, [&](size_t y) {
            ORVEX_RI_IVDEP
            for (size_t l = 0; l < L; ++l) {
                const size_t x = y * s + l, i = y * ms + l;
                const float oa = RiFive(as2, x, s, as[x + 4 * s]), xa = RiSix(as2, x, s);
                const float ob = RiFive(bs2, x, s, bs[x + 4 * s]), xb = RiSix(bs2, x, s);
                const float o = (m[i - ms] + m[i + ms]) * 0.5f;
                const float own = RiClip((oa * o + ob) * (1.0f / 5), limit);
                res[x] = m[i] - own;
                tent[x] = RiClip((xa * m[i] + xb) * (1.0f / 6), limit);
            }
        });
    }
    RiSites(12, n - 12, [&](size_t x) {
        ORVEX_RI_IVDEP
        for (size_t l = 0; l < L; ++l) {
            const size_t j = x * s + l, i = x * ms + l;
            const float est = tent[j] + (res[j - s] + res[j + s]) * 0.5f;
            diff[x * ds + l] = ((x + l) & 1) == green ? m[i] - est : est - m[i];
        }
    });
}

}  // namespace
}  // namespace orvex
