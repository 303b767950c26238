// The directional stage along a row of the residual-interpolation demosaic
// in AVX-512 registers, a block of 16 sites at a time: the values of
// RiLines<1> (ri_lines.h), each site's the same operations in the same
// order. A site's neighbours along the row come from the aligned blocks
// before and after its own by shifts between registers, not from loads at
// unaligned addresses (a load across two cache lines costs this processor
// about twice an aligned one, and the stages read each array at up to five
// offsets); and a pass's stages run a fixed number of blocks behind the one
// they read, so what a stage gives the next stays in registers instead of a
// row of scratch. Included by the AVX-512 build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_lines.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// RiProductsAt of the block: the samples and their neighbours either side.
struct RiProductsV {
    RiV t, g, tg, gg;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiProductsV RiProductsOf(RiV before, RiV t, RiV after) {
    const RiV v = (before + after) * _mm512_set1_ps(0.5f);
    return {t, v, t * v, v * v};
}

// RiFitOf, lane by lane.
struct RiFitV {
    RiV a, b;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiFitV RiFitOfV(RiV t, RiV g, RiV tg, RiV gg, float inverse,
                                                        float floor) {
    const RiV mt = t * inverse, mg = g * inverse;
    const RiV vg = _mm512_max_ps(gg * inverse - mg * mg, _mm512_setzero_ps());
    const RiV cov = tg * inverse - mg * mt;
    const RiV a = cov / (vg + floor);
    return {a, mt - a * mg};
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
                                                                    float floor, float* scratch,
                                                                    float* diff) {
    constexpr size_t B = 16;
    const size_t stride = RiRowLinesStride(n);
    float* const ca = scratch;
    float* const cb = scratch + stride;
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
        RiV pBefore[4] = {zero, zero, zero, zero};
        for (size_t x = 0; x < n - 6; x += B) {
            const RiV mNext = RiLoad(m + x + 2 * B);
            const RiBlocks s{mHere, mAfter, mNext};
            const RiProductsV ua = RiProductsOf(s.At<-1>(), s.here, s.At<1>());
            const RiV here[4] = {u.t, u.g, u.tg, u.gg};
            const RiV after[4] = {ua.t, ua.g, ua.tg, ua.gg};
            RiV sum[4];
            for (size_t k = 0; k < 4; ++k) {
                const RiBlocks q{zero, here[k], after[k]};
                const RiV p = here[k] + q.At<2>();
                sum[k] = (RiBlocks{pBefore[k], p, zero}.At<-4>() + p) + q.At<4>();
                pBefore[k] = p;
            }
            const RiFitV f = RiFitOfV(sum[0], sum[1], sum[2], sum[3], 1.0f / 5, floor);
            RiStore(ca + x, f.a), RiStore(cb + x, f.b);
            u = ua, mHere = mAfter, mAfter = mNext;
        }
    }
    // Block j's coefficient pair sums (sites [6, n - 8)), block j - 1's
    // tentative estimates and residuals ([11, n - 11)) and block j - 2's
    // differences ([12, n - 12)): green minus the colour, on whichever side
    // the site is green.
    const RiV top = _mm512_set1_ps(limit);
    const __mmask16 greenLanes = RiColumnLanes(green);
    const RiV fifth = _mm512_set1_ps(1.0f / 5), sixth = _mm512_set1_ps(1.0f / 6);
    const float* const c[2] = {ca, cb};
    RiV cBefore[2] = {zero, zero}, cHere[2];
    RiV qOlder[2] = {zero, zero}, qOld[2] = {zero, zero};
    for (size_t k = 0; k < 2; ++k) cHere[k] = RiLoad(c[k]);
    RiV rOlder = zero, rOld = zero, tOld = zero;
    RiV mOlder = zero, mOld = zero, mHere = RiLoad(m);
    const size_t blocks = (n - 12 + B - 1) / B;
    for (size_t j = 0; j < blocks + 2; ++j) {
        const size_t x = j * B;
        RiV q[2], own[2], other[2];
        for (size_t k = 0; k < 2; ++k) {
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
        const RiV res = s.here - RiClipV((own[0] * o + own[1]) * fifth, top);
        const RiV tent = RiClipV((other[0] * s.here + other[1]) * sixth, top);
        if (j >= 2) {
            const RiBlocks r{rOlder, rOld, res};
            const RiV est = tOld + (r.At<-1>() + r.At<1>()) * half;
            RiStore(diff + x - 2 * B, _mm512_mask_blend_ps(greenLanes, est - mOlder, mOlder - est));
        }
        rOlder = rOld, rOld = res, tOld = tent;
        mOlder = mOld, mOld = mHere, mHere = RiLoad(m + x + B);
    }
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
