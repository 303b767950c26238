// The passes along a row of the residual-interpolation demosaic's line and
// green stages in AVX-512 registers, a block of 16 sites at a time: the
// values of RiLines<1> (ri_lines.h), RiGreenRowGradients and RiGreenFuse
// (ri_green.h), each site's the same operations in the same order. A site's
// neighbours along the row come from the aligned blocks before and after
// its own by shifts between registers, not from loads at unaligned
// addresses (a load across two cache lines costs this processor about
// twice an aligned one, and these passes read each array at up to nine
// offsets); and a pass's stages run a fixed number of blocks behind the one
// they read, so what a stage gives the next stays in registers instead of a
// row of scratch. Included by the AVX-512 build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_colour_blocks_avx512.h"
#include "methods/ri/ri_green.h"
#include "methods/ri/ri_lines.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// RiProductsAt of the block: the samples and their neighbours either side.
struct RiProductsV {
    RiV t, g, tg, gg, tt;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiProductsV RiProductsOf(RiV before, RiV t, RiV after) {
    const RiV v = (before + after) * _mm512_set1_ps(0.5f);
    return {t, v, t * v, v * v, t * t};
}

// RiFitOf, lane by lane.
struct RiFitV {
    RiV w, wa, wb;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiFitV RiFitOfV(RiV t, RiV g, RiV tg, RiV gg, RiV tt,
                                                        float inverse, float floor,
                                                        float fitFloor) {
    const RiV zero = _mm512_setzero_ps();
    const RiV mt = t * inverse, mg = g * inverse;
    const RiV vgRaw = gg * inverse - mg * mg, vtRaw = tt * inverse - mt * mt;
    const RiV vg = _mm512_max_ps(vgRaw, zero), vt = _mm512_max_ps(vtRaw, zero);
    const RiV cov = tg * inverse - mg * mt;
    const RiV d = vg + floor, dd = d * d;
    const RiV n = (vt + fitFloor) * dd - cov * cov * (vg + 2.0f * floor);
    const RiV least = fitFloor * dd;
    const RiV r = 1.0f / _mm512_max_ps(n, least);
    return {dd * r, d * cov * r, d * (d * mt - cov * mg) * r};
}

// RiLines<1> over a row of n samples m, n a multiple of 16, into diff; m,
// scratch and diff start on cache lines. Two passes along the row: the
// pair sums and the coefficients, then the coefficients' pair sums, the
// tentative estimates, the residuals and the differences, each pass's
// stages a fixed number of blocks behind the one they read, so what one
// stage gives the next stays in registers; only the coefficients are kept
// in scratch between the passes. Reads reach up to 48 floats beyond the
// row's end (m's next rows, the scratch rows after the coefficients') and
// writes up to 15 beyond a stage's last site within the row. Scratch holds
// kRiLineRows rows of RiRowLinesStride(n) floats.
inline constexpr size_t RiRowLinesStride(size_t n) {
    return n + 2 * kRiLineFloats;
}

// A function of its own: the shared passes it is called from carry no
// target of their own until they are inlined into the build's.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiRowLinesAvx512(const float* m, size_t n,
                                                                    size_t green, float limit,
                                                                    float floor, float fitFloor,
                                                                    float* scratch, float* diff) {
    constexpr size_t B = 16;
    const size_t stride = RiRowLinesStride(n);
    float* const cw = scratch;
    float* const ca = scratch + stride;
    float* const cb = scratch + 2 * stride;
    const RiV zero = _mm512_setzero_ps(), half = _mm512_set1_ps(0.5f);
    // The coefficients at [6, n - 6): a window's five-site sums (p[-4] +
    // p[0]) + the products four sites on, from the pair sums p[0] = u[0] +
    // u[2] of the products u at each site, both taken once a site: the
    // products a block ahead, the pair sums of the block and of the one
    // before it in registers.
    {
        RiV mHere = RiLoad(m), mAfter = RiLoad(m + B);
        RiProductsV u = RiProductsOf(RiBlocks{zero, mHere, mAfter}.At<-1>(), mHere,
                                     RiBlocks{zero, mHere, mAfter}.At<1>());
        RiV pBefore[5] = {zero, zero, zero, zero, zero};
        for (size_t x = 0; x < n - 6; x += B) {
            const RiV mNext = RiLoad(m + x + 2 * B);
            const RiBlocks s{mHere, mAfter, mNext};
            const RiProductsV ua = RiProductsOf(s.At<-1>(), s.here, s.At<1>());
            const RiV here[5] = {u.t, u.g, u.tg, u.gg, u.tt};
            const RiV after[5] = {ua.t, ua.g, ua.tg, ua.gg, ua.tt};
            RiV sum[5];
            for (size_t k = 0; k < 5; ++k) {
                const RiBlocks q{zero, here[k], after[k]};
                const RiV p = here[k] + q.At<2>();
                sum[k] = (RiBlocks{pBefore[k], p, zero}.At<-4>() + p) + q.At<4>();
                pBefore[k] = p;
            }
            const RiFitV f =
                RiFitOfV(sum[0], sum[1], sum[2], sum[3], sum[4], 1.0f / 5, floor, fitFloor);
            RiStore(cw + x, f.w), RiStore(ca + x, f.wa), RiStore(cb + x, f.wb);
            u = ua, mHere = mAfter, mAfter = mNext;
        }
    }
    // Block j's coefficient pair sums (sites [6, n - 8)), block j - 1's
    // tentative estimates and residuals ([11, n - 11)) and block j - 2's
    // differences ([12, n - 12)): green minus the colour, on whichever side
    // the site is green.
    const RiV top = _mm512_set1_ps(limit);
    const __mmask16 greenLanes = green ? 0xAAAA : 0x5555;
    const float* const c[3] = {cw, ca, cb};
    RiV cBefore[3] = {zero, zero, zero}, cHere[3];
    RiV qOlder[3] = {zero, zero, zero}, qOld[3] = {zero, zero, zero};
    for (size_t k = 0; k < 3; ++k) cHere[k] = RiLoad(c[k]);
    RiV rOlder = zero, rOld = zero, tOld = zero;
    RiV mOlder = zero, mOld = zero, mHere = RiLoad(m);
    const size_t blocks = (n - 12 + B - 1) / B;
    for (size_t j = 0; j < blocks + 2; ++j) {
        const size_t x = j * B;
        RiV q[3], own[3], other[3];
        for (size_t k = 0; k < 3; ++k) {
            const RiV cAfter = RiLoad(c[k] + x + B);
            q[k] = cHere[k] + RiBlocks{zero, cHere[k], cAfter}.At<2>();
            // Block j - 1: its own colour over the windows an even step
            // away, the other over those an odd step away.
            const RiBlocks pq{qOlder[k], qOld[k], q[k]};
            own[k] = (pq.At<-4>() + pq.here) + RiBlocks{zero, cBefore[k], cHere[k]}.At<4>();
            other[k] = (pq.At<-5>() + pq.At<-1>()) + pq.At<3>();
            qOlder[k] = qOld[k], qOld[k] = q[k];
            cBefore[k] = cHere[k], cHere[k] = cAfter;
        }
        const RiBlocks s{mOlder, mOld, mHere};
        const RiV o = (s.At<-1>() + s.At<1>()) * half;
        const RiV res = s.here - RiClipV((own[1] * o + own[2]) / own[0], top);
        const RiV tent = RiClipV((other[1] * s.here + other[2]) / other[0], top);
        if (j >= 2) {
            const RiBlocks r{rOlder, rOld, res};
            const RiV v = RiLoad(m + x - 2 * B);
            const RiV est = tOld + (r.At<-1>() + r.At<1>()) * half;
            RiStore(diff + x - 2 * B, _mm512_mask_blend_ps(greenLanes, est - v, v - est));
        }
        rOlder = rOld, rOld = res, tOld = tent;
        mOlder = mOld, mOld = mHere, mHere = RiLoad(m + x + B);
    }
}

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiAbs(RiV v) {
    return _mm512_abs_ps(v);
}

// |d[x - 1] - d[x + 1]| of the block.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiGradientOf(const RiBlocks& d) {
    return RiAbs(d.At<-1>() - d.At<1>());
}

// The row gradients' nine-site sums, as RiGreenRowGradients: block j's
// sums with block j + 1's gradients and block j's quad sums.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenRowGradientsAvx512(const RiWindow& win,
                                                                             const float* d,
                                                                             const RiGreenRings& r,
                                                                             size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const RiV zero = _mm512_setzero_ps();
    RiV dHere = RiLoad(d), dAfter = RiLoad(d + B);
    RiV gHere = RiGradientOf({zero, dHere, dAfter}), qBefore = zero;
    float* gh = r.gh[y];
    for (size_t x = 0; x < w - 20; x += B) {
        const RiV dNext = RiLoad(d + x + 2 * B);
        const RiV gAfter = RiGradientOf({dHere, dAfter, dNext});
        const RiBlocks v{zero, gHere, gAfter};
        const RiV q = (v.here + v.At<1>()) + (v.At<2>() + v.At<3>());
        RiStore(gh + x, (RiBlocks{qBefore, q, zero}.At<-4>() + q) + v.At<4>());
        qBefore = q, dHere = dAfter, dAfter = dNext, gHere = gAfter;
    }
}

struct RiTermsV {
    RiV sm, sq, ns;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiTermsV RiTermsOfV(RiV sm, RiV df) {
    const RiV e = df - sm;
    return {sm, sm * sm, e * e};
}

// RiGreenColumnRow at row y and RiGreenQuadRow at row y - 3 in one pass:
// the nine rows of column differences the low-pass reads hold the four the
// quad sums read and the two of the gradient, and the new row's low-pass
// and gradient are kept in registers for the quad sums.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenColumnsAvx512(const RiWindow& win,
                                                                        const float* dv,
                                                                        const RiGreenRings& r,
                                                                        size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float* d = dv + y * w;
    float *sv = r.sv[y], *gv = r.gv[y];
    const float *s0 = r.sv[y - 3], *s1 = r.sv[y - 2], *s2 = r.sv[y - 1];
    const float *g0 = r.gv[y - 3], *g1 = r.gv[y - 2], *g2 = r.gv[y - 1];
    float *q0 = r.quad[0][y - 3], *q1 = r.quad[1][y - 3], *q2 = r.quad[2][y - 3];
    float* gq = r.gvq[y - 3];
    const ptrdiff_t s = ptrdiff_t(w);
    for (size_t x = 0; x + 18 < w; x += B) {
        const float* u = d + x;
        RiV v[9];
        for (ptrdiff_t k = 0; k < 9; ++k) v[k] = RiLoad(u + (k - 4) * s);
        const RiV low = (kRiLowPass[0] * (v[0] + v[8]) + kRiLowPass[1] * (v[1] + v[7])) +
                        (kRiLowPass[2] * (v[2] + v[6]) + kRiLowPass[3] * (v[3] + v[5])) +
                        kRiLowPass[4] * v[4];
        const RiV gradient = RiAbs(v[3] - v[5]);
        RiStore(sv + x, low), RiStore(gv + x, gradient);
        // Rows y - 3 .. y: the differences v[1] .. v[4].
        const RiTermsV a = RiTermsOfV(RiLoad(s0 + x), v[1]), b = RiTermsOfV(RiLoad(s1 + x), v[2]);
        const RiTermsV c = RiTermsOfV(RiLoad(s2 + x), v[3]), e = RiTermsOfV(low, v[4]);
        RiStore(q0 + x, (a.sm + b.sm) + (c.sm + e.sm));
        RiStore(q1 + x, (a.sq + b.sq) + (c.sq + e.sq));
        RiStore(q2 + x, (a.ns + b.ns) + (c.ns + e.ns));
        RiStore(gq + x, (RiLoad(g0 + x) + RiLoad(g1 + x)) + (RiLoad(g2 + x) + gradient));
    }
}

// RiLowPass along the row.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiLowPassV(const RiBlocks& u) {
    return (kRiLowPass[0] * (u.At<-4>() + u.At<4>()) + kRiLowPass[1] * (u.At<-3>() + u.At<3>())) +
           (kRiLowPass[2] * (u.At<-2>() + u.At<2>()) + kRiLowPass[3] * (u.At<-1>() + u.At<1>())) +
           kRiLowPass[4] * u.here;
}

struct RiEstimateV {
    RiV weighted, error, total;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiEstimateV RiLmmseV(RiV sum, RiV squares, RiV noiseSum,
                                                             RiV sm, RiV df, float floor) {
    constexpr float kNinth = 1.0f / 9;
    const RiV mean = sum * kNinth;
    const RiV spread = squares * kNinth - mean * mean;
    const RiV signal = _mm512_max_ps(spread, _mm512_setzero_ps()) + floor;
    const RiV noise = noiseSum * kNinth + floor;
    return {noise * sm + signal * df, signal * noise, signal + noise};
}

// The column gradients' nine-row sums of a block, (q0 + q1) + v.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiNineOf(const float* q0, const float* q1,
                                                     const float* v, size_t x) {
    return (RiLoad(q0 + x) + RiLoad(q1 + x)) + RiLoad(v + x);
}

// Green at a row, as RiGreenFuse: block j's estimates with the low-pass of
// block j + 1, the quad sums of its terms and the column gradients' nine-row
// sums of block j + 1 taken in the same step, kept in registers for the
// next step rather than as rows of scratch.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenFuseAvx512(const RiWindow& win,
                                                                     const float* m, const float* d,
                                                                     const float* dv,
                                                                     const RiGreenRings& r,
                                                                     float* g, size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float floor = win.varFloor, gradientFloor = win.gradientFloor;
    const float inverseLimit = 1.0f / win.limit;
    const size_t at = y * w;
    const float *q0 = r.gvq[y - 4], *q1 = r.gvq[y], *q2 = r.gv[y + 4];
    const float *v1 = r.quad[0][y - 4], *v2 = r.quad[1][y - 4], *v3 = r.quad[2][y - 4];
    const float *u1 = r.quad[0][y], *u2 = r.quad[1][y], *u3 = r.quad[2][y];
    const float *e1 = r.sv[y + 4], *e4 = dv + at + 4 * w;
    const float *smv = r.sv[y], *dfv = dv + at, *mm = m + at;
    const float *r0 = r.gh[y - 2], *r1 = r.gh[y - 1], *r2 = r.gh[y], *r3 = r.gh[y + 1],
                *r4 = r.gh[y + 2];
    float* out = g + at;
    const __mmask16 greenLanes = ((win.greenParity + y) & 1) ? 0xAAAA : 0x5555;
    const RiV zero = _mm512_setzero_ps();
    RiV dHere = RiLoad(d), dAfter = RiLoad(d + B);
    RiV sHere = RiLowPassV(RiBlocks{zero, dHere, dAfter});
    RiV hBefore[3] = {zero, zero, zero};
    RiV cBefore = zero, cHere = RiNineOf(q0, q1, q2, 0);
    for (size_t x = 0; x < w - 20; x += B) {
        const RiV dNext = RiLoad(d + x + 2 * B);
        const RiV sAfter = RiLowPassV(RiBlocks{dHere, dAfter, dNext});
        const RiV cAfter = RiNineOf(q0, q1, q2, x + B);
        const RiBlocks s{zero, sHere, sAfter}, dh{zero, dHere, dAfter};
        const RiTermsV ta = RiTermsOfV(s.here, dh.here), tb = RiTermsOfV(s.At<1>(), dh.At<1>());
        const RiTermsV tc = RiTermsOfV(s.At<2>(), dh.At<2>());
        const RiTermsV td = RiTermsOfV(s.At<3>(), dh.At<3>());
        const RiV h[3] = {(ta.sm + tb.sm) + (tc.sm + td.sm), (ta.sq + tb.sq) + (tc.sq + td.sq),
                          (ta.ns + tb.ns) + (tc.ns + td.ns)};
        const RiTermsV th = RiTermsOfV(s.At<4>(), dh.At<4>());
        const RiEstimateV eh = RiLmmseV((RiBlocks{hBefore[0], h[0], zero}.At<-4>() + h[0]) + th.sm,
                                        (RiBlocks{hBefore[1], h[1], zero}.At<-4>() + h[1]) + th.sq,
                                        (RiBlocks{hBefore[2], h[2], zero}.At<-4>() + h[2]) + th.ns,
                                        sHere, dHere, floor);
        const RiTermsV tv = RiTermsOfV(RiLoad(e1 + x), RiLoad(e4 + x));
        const RiEstimateV ev = RiLmmseV(
            (RiLoad(v1 + x) + RiLoad(u1 + x)) + tv.sm, (RiLoad(v2 + x) + RiLoad(u2 + x)) + tv.sq,
            (RiLoad(v3 + x) + RiLoad(u3 + x)) + tv.ns, RiLoad(smv + x), RiLoad(dfv + x), floor);
        const RiV gh5 = (((RiLoad(r0 + x) + RiLoad(r1 + x)) + RiLoad(r2 + x)) + RiLoad(r3 + x)) +
                        RiLoad(r4 + x);
        const RiBlocks c{cBefore, cHere, cAfter};
        const RiV gv5 = (((c.At<-2>() + c.At<-1>()) + c.here) + c.At<1>()) + c.At<2>();
        const RiV gh = gh5 * inverseLimit, gv = gv5 * inverseLimit;
        const RiV a = gh * gh + gradientFloor, b = gv * gv + gradientFloor;
        const RiV here = RiLoad(mm + x);
        const RiV fused = here + (b * eh.weighted * ev.total + a * ev.weighted * eh.total) /
                                     ((a + b) * (eh.total * ev.total));
        RiStore(out + x, _mm512_mask_blend_ps(greenLanes, fused, here));
        for (size_t k = 0; k < 3; ++k) hBefore[k] = h[k];
        dHere = dAfter, dAfter = dNext, sHere = sAfter, cBefore = cHere, cHere = cAfter;
    }
}

// The passes along a row for RiRows (ri_rows.h).
struct RiRowPassesAvx512 {
    static ORVEX_INLINE void Lines(const RiWindow& win, const float* m, size_t green, float* rows,
                                   float* diff) {
        RiRowLinesAvx512(m, win.w, green, win.limit, win.floor, win.fitFloor, rows, diff);
    }
    static ORVEX_INLINE void Gradients(const RiWindow& win, const float* d, const RiGreenRings& r,
                                       float*, size_t y) {
        RiGreenRowGradientsAvx512(win, d, r, y);
    }
    static ORVEX_INLINE void GreenColumns(const RiWindow& win, const float* dv,
                                          const RiGreenRings& r, size_t y, bool quads) {
        if (quads)
            RiGreenColumnsAvx512(win, dv, r, y);
        else
            RiGreenColumnRow(win, dv, r, y);
    }
    static ORVEX_INLINE void Fuse(const RiWindow& win, const float* m, const float* d,
                                  const float* dv, const RiGreenRings& r, float*, float* g,
                                  size_t y) {
        RiGreenFuseAvx512(win, m, d, dv, r, g, y);
    }
    static ORVEX_INLINE void ColourRowSums(const RiWindow& win, const RiColourSites& c, size_t cx,
                                           const RiRing* sums, float*, size_t y) {
        RiColourRowSumsAvx512(win, c, cx, sums, y);
    }
    static ORVEX_INLINE void ColourCoefficients(const RiWindow& win, const RiRing* sums,
                                                const RiColourRings& c, float*, size_t y) {
        RiColourCoefficientsAvx512(win, sums, c, y);
    }
    static ORVEX_INLINE void ColourMeans(const RiWindow& win, const float* m, const float* g,
                                         const RiColourRings& c, size_t y) {
        RiColourMeansAvx512(win, m, g, c, y);
    }
    static ORVEX_INLINE void ColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                                       float* out, size_t y) {
        RiColourRowAvx512(win, m, c, out, y);
    }
};

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
