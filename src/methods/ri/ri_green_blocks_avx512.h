// The green stage's passes in AVX-512 registers, a block of 16 sites at a
// time: the values of RiGreenRowGradients, RiGreenColumnRow with
// RiGreenQuadRow, and RiGreenFuse (ri_green.h), each site's the same
// operations in the same order, neighbours along a row by shifts between
// aligned blocks and each pass's stages a fixed number of blocks apart, as
// the directional stage's (ri_line_blocks_avx512.h). Included by the AVX-512
// build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_green.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

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

// RiQuadTerms of four sites' terms, (a + b) + (c + d) of each.
struct RiQuadV {
    RiV sm, sq, ns;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiQuadV RiQuadOf(const RiTermsV& a, const RiTermsV& b,
                                                         const RiTermsV& c, const RiTermsV& d) {
    return {(a.sm + b.sm) + (c.sm + d.sm), (a.sq + b.sq) + (c.sq + d.sq),
            (a.ns + b.ns) + (c.ns + d.ns)};
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
        const RiQuadV q = RiQuadOf(a, b, c, e);
        RiStore(q0 + x, q.sm), RiStore(q1 + x, q.sq), RiStore(q2 + x, q.ns);
        RiStore(gq + x, (RiLoad(g0 + x) + RiLoad(g1 + x)) + (RiLoad(g2 + x) + gradient));
    }
}

// RiLowPass along the row.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiLowPassV(const RiBlocks& u) {
    return (kRiLowPass[0] * (u.At<-4>() + u.At<4>()) + kRiLowPass[1] * (u.At<-3>() + u.At<3>())) +
           (kRiLowPass[2] * (u.At<-2>() + u.At<2>()) + kRiLowPass[3] * (u.At<-1>() + u.At<1>())) +
           kRiLowPass[4] * u.here;
}

// RiLmmse's numerator and denominator term (its error term unused here).
struct RiEstimateV {
    RiV weighted, total;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiEstimateV RiLmmseV(RiV sum, RiV squares, RiV noiseSum,
                                                             RiV sm, RiV df, float floor) {
    constexpr float kNinth = 1.0f / 9;
    const RiV mean = sum * kNinth;
    const RiV spread = squares * kNinth - mean * mean;
    const RiV signal = _mm512_max_ps(spread, _mm512_setzero_ps()) + floor;
    const RiV noise = noiseSum * kNinth + floor;
    return {noise * sm + signal * df, signal + noise};
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
    RiQuadV hBefore{zero, zero, zero};
    RiV cBefore = zero, cHere = RiNineOf(q0, q1, q2, 0);
    for (size_t x = 0; x < w - 20; x += B) {
        const RiV dNext = RiLoad(d + x + 2 * B);
        const RiV sAfter = RiLowPassV(RiBlocks{dHere, dAfter, dNext});
        const RiV cAfter = RiNineOf(q0, q1, q2, x + B);
        const RiBlocks s{zero, sHere, sAfter}, dh{zero, dHere, dAfter};
        const RiTermsV ta = RiTermsOfV(s.here, dh.here), tb = RiTermsOfV(s.At<1>(), dh.At<1>());
        const RiTermsV tc = RiTermsOfV(s.At<2>(), dh.At<2>());
        const RiTermsV td = RiTermsOfV(s.At<3>(), dh.At<3>());
        const RiQuadV h = RiQuadOf(ta, tb, tc, td);
        const RiTermsV th = RiTermsOfV(s.At<4>(), dh.At<4>());
        const RiEstimateV eh = RiLmmseV((RiBlocks{hBefore.sm, h.sm, zero}.At<-4>() + h.sm) + th.sm,
                                        (RiBlocks{hBefore.sq, h.sq, zero}.At<-4>() + h.sq) + th.sq,
                                        (RiBlocks{hBefore.ns, h.ns, zero}.At<-4>() + h.ns) + th.ns,
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
        hBefore = h, dHere = dAfter, dAfter = dNext, sHere = sAfter, cBefore = cHere,
        cHere = cAfter;
    }
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
