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

// RiLowPass along the row.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiLowPassV(const RiBlocks& u) {
    return (kRiLowPass[0] * (u.At<-4>() + u.At<4>()) + kRiLowPass[1] * (u.At<-3>() + u.At<3>())) +
           (kRiLowPass[2] * (u.At<-2>() + u.At<2>()) + kRiLowPass[3] * (u.At<-1>() + u.At<1>())) +
           kRiLowPass[4] * u.here;
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

// Green at a row, as RiGreenFuse: the low-pass, terms, pair and quad sums
// and the column gradients' nine-row sums of the blocks after the one being
// finished taken in the same step, kept in registers for the next steps
// rather than as rows of scratch.
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
    const float* share = r.share[y];
    float* out = g + at;
    const __mmask16 greenLanes = RiColumnLanes((win.greenParity + y) & 1);
    const RiV zero = _mm512_setzero_ps();
    // Step j finishes block j - 1 from the terms of blocks j - 1 .. j + 1:
    // their pair sums (t[0] + t[1]) one block ahead, the quad sums (t[0] +
    // t[1]) + (t[2] + t[3]) of the pair sums two sites apart, so each block's
    // terms are formed once and shifted rather than formed at five offsets.
    RiV dOld = zero, dPrev = RiLoad(d), dHere = RiLoad(d + B), dAfter = RiLoad(d + 2 * B);
    RiV sPrev = RiLowPassV(RiBlocks{zero, dPrev, dHere});
    RiV sHere = RiLowPassV(RiBlocks{dPrev, dHere, dAfter});
    RiTermsV tPrev = RiTermsOfV(sPrev, dPrev), tHere = RiTermsOfV(sHere, dHere);
    RiQuadV pPrev{tPrev.sm + RiBlocks{zero, tPrev.sm, tHere.sm}.At<1>(),
                  tPrev.sq + RiBlocks{zero, tPrev.sq, tHere.sq}.At<1>(),
                  tPrev.ns + RiBlocks{zero, tPrev.ns, tHere.ns}.At<1>()};
    RiQuadV qOld{zero, zero, zero};
    RiV cOlder = zero, cOld = RiNineOf(q0, q1, q2, 0);
    RiV quotient = zero;
    size_t last = 0;
    for (size_t x = B; x - B < w - 20; x += B) {
        const size_t k = x - B;
        const RiV dNext = RiLoad(d + x + 2 * B);
        const RiV sAfter = RiLowPassV(RiBlocks{dHere, dAfter, dNext});
        const RiTermsV tAfter = RiTermsOfV(sAfter, dAfter);
        const RiQuadV pHere{tHere.sm + RiBlocks{zero, tHere.sm, tAfter.sm}.At<1>(),
                            tHere.sq + RiBlocks{zero, tHere.sq, tAfter.sq}.At<1>(),
                            tHere.ns + RiBlocks{zero, tHere.ns, tAfter.ns}.At<1>()};
        const RiQuadV h{pPrev.sm + RiBlocks{zero, pPrev.sm, pHere.sm}.At<2>(),
                        pPrev.sq + RiBlocks{zero, pPrev.sq, pHere.sq}.At<2>(),
                        pPrev.ns + RiBlocks{zero, pPrev.ns, pHere.ns}.At<2>()};
        const RiEstimateV eh = RiLmmseV((RiBlocks{qOld.sm, h.sm, zero}.At<-4>() + h.sm) +
                                            RiBlocks{zero, tPrev.sm, tHere.sm}.At<4>(),
                                        (RiBlocks{qOld.sq, h.sq, zero}.At<-4>() + h.sq) +
                                            RiBlocks{zero, tPrev.sq, tHere.sq}.At<4>(),
                                        (RiBlocks{qOld.ns, h.ns, zero}.At<-4>() + h.ns) +
                                            RiBlocks{zero, tPrev.ns, tHere.ns}.At<4>(),
                                        sPrev, dPrev, floor);
        const RiTermsV tv = RiTermsOfV(RiLoad(e1 + k), RiLoad(e4 + k));
        const RiEstimateV ev = RiLmmseV(
            (RiLoad(v1 + k) + RiLoad(u1 + k)) + tv.sm, (RiLoad(v2 + k) + RiLoad(u2 + k)) + tv.sq,
            (RiLoad(v3 + k) + RiLoad(u3 + k)) + tv.ns, RiLoad(smv + k), RiLoad(dfv + k), floor);
        const RiV gh5 = (((RiLoad(r0 + k) + RiLoad(r1 + k)) + RiLoad(r2 + k)) + RiLoad(r3 + k)) +
                        RiLoad(r4 + k);
        const RiV cNew = RiNineOf(q0, q1, q2, x);
        const RiBlocks c{cOlder, cOld, cNew};
        const RiV gv5 = (((c.At<-2>() + c.At<-1>()) + c.here) + c.At<1>()) + c.At<2>();
        const RiV gh = gh5 * inverseLimit, gv = gv5 * inverseLimit;
        const RiV a = gh * gh + gradientFloor, b = gv * gv + gradientFloor;
        // The block before's quotient is added and stored now, so that the
        // division's latency holds up no other block.
        if (k > 0) {
            const RiV here = RiLoad(mm + k - B);
            RiStore(out + k - B, _mm512_mask_blend_ps(greenLanes, here + quotient, here));
        }
        const RiV lmmse = b * eh.weighted * ev.total + a * ev.weighted * eh.total;
        const RiV totals = eh.total * ev.total;
        const RiBlocks dh{dOld, dPrev, dHere};
        const RiV sh = ((dh.At<-1>() + dh.At<1>()) + 2.0f * dPrev) * 0.25f;
        const RiV sv =
            ((RiLoad(dfv + k - w) + RiLoad(dfv + k + w)) + 2.0f * RiLoad(dfv + k)) * 0.25f;
        const RiV sharp = (b * sh + a * sv) * totals;
        quotient = (lmmse + RiLoad(share + k) * (sharp - lmmse)) / ((a + b) * totals);
        dOld = dPrev, dPrev = dHere, dHere = dAfter, dAfter = dNext, sPrev = sHere, sHere = sAfter;
        tPrev = tHere, tHere = tAfter, pPrev = pHere, qOld = h, cOlder = cOld, cOld = cNew;
        last = k;
    }
    const RiV here = RiLoad(mm + last);
    RiStore(out + last, _mm512_mask_blend_ps(greenLanes, here + quotient, here));
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
