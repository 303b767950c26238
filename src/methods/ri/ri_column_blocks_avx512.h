// The directional stage down a block of 16 columns of the residual-
// interpolation demosaic in AVX-512 registers: the values of RiLines<16>
// (ri_lines.h), each site's the same operations in the same order. A step
// down the block is one register, so a site's neighbours along its column
// are other steps' registers and need no shifts; the stages run a fixed
// number of steps apart, and what a later step still reads is carried in
// registers, except the pair sums (read two and six steps after they are
// formed) and the coefficients' pair sums (up to eight), which go through
// rings of 16 steps in the first-level cache. Included by the AVX-512 build
// only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_line_blocks_avx512.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// Floats of the rings RiColumnLinesAvx512 takes: the four pair sums and the
// two coefficients' pair sums, 16 steps of 16 columns each.
inline constexpr size_t kRiColumnRingFloats = 6 * 16 * 16;

// What a step hands the steps after it.
struct RiColumnCarry {
    RiV m0, m1;      // samples of steps i - 1 and i
    RiProductsV u1;  // products of step i - 1
    RiProductsV u2;  // and of step i - 2
    RiV a5, b5;      // coefficients of step i - 5
    RiV a6, b6;      // and of step i - 6
    RiV res10, res11, tent10;
};

// Step i of the stages (ri_lines.h), i >= 4: the products at i, the pair
// sums at i - 2, the coefficients at i - 4 and their pair sums at i - 6;
// from stage 1 (i >= 10) the tentative estimates and residual at i - 9, and
// from stage 2 the differences at i - 10.
template <int Stages>
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void RiColumnStep(const float* m, size_t ms, size_t i,
                                                          __mmask16 greenLanes, RiV top,
                                                          float floor, float* ring, float* diff,
                                                          size_t ds, RiColumnCarry& c) {
    constexpr size_t B = 16, kRing = 16 * B;
    const RiV half = _mm512_set1_ps(0.5f);
    auto slot = [](size_t x) { return (x & 15) * B; };
    float* const p = ring;              // pair sums t, g, tg, gg: rings 0-3
    float* const q = ring + 4 * kRing;  // coefficients' pair sums a, b: rings 4-5
    const RiV mNext = RiLoad(m + (i + 1) * ms);
    const RiProductsV u = RiProductsOf(c.m0, c.m1, mNext);
    const RiV pNew[4] = {c.u2.t + u.t, c.u2.g + u.g, c.u2.tg + u.tg, c.u2.gg + u.gg};
    const RiV uNew[4] = {u.t, u.g, u.tg, u.gg};
    RiV sum[4];
    for (size_t k = 0; k < 4; ++k) {
        RiStore(p + k * kRing + slot(i - 2), pNew[k]);
        sum[k] =
            (RiLoad(p + k * kRing + slot(i - 8)) + RiLoad(p + k * kRing + slot(i - 4))) + uNew[k];
    }
    const RiFitV f = RiFitOfV(sum[0], sum[1], sum[2], sum[3], 1.0f / 5, floor);
    const RiV qa = c.a6 + f.a, qb = c.b6 + f.b;
    RiStore(q + slot(i - 6), qa), RiStore(q + kRing + slot(i - 6), qb);
    const RiV a4 = f.a, b4 = f.b;
    c.a6 = c.a5, c.b6 = c.b5;
    c.m0 = c.m1, c.m1 = mNext, c.u2 = c.u1, c.u1 = u;
    if constexpr (Stages == 0) {
        c.a5 = a4, c.b5 = b4;
        return;
    }
    // Step y = i - 9: its own colour over the windows an even step away,
    // the other over those an odd step away.
    const size_t y = i - 9;
    const RiV oa = (RiLoad(q + slot(y - 4)) + RiLoad(q + slot(y))) + c.a5,
              ob = (RiLoad(q + kRing + slot(y - 4)) + RiLoad(q + kRing + slot(y))) + c.b5;
    const RiV xa = (RiLoad(q + slot(y - 5)) + RiLoad(q + slot(y - 1))) + qa;
    const RiV xb = (RiLoad(q + kRing + slot(y - 5)) + RiLoad(q + kRing + slot(y - 1))) + qb;
    const RiV mBefore = RiLoad(m + (y - 1) * ms), mHere = RiLoad(m + y * ms),
              mAfter = RiLoad(m + (y + 1) * ms);
    const RiV o = (mBefore + mAfter) * half;
    const RiV res = mHere - RiClipV((oa * o + ob) * _mm512_set1_ps(1.0f / 5), top);
    const RiV tent = RiClipV((xa * mHere + xb) * _mm512_set1_ps(1.0f / 6), top);
    if constexpr (Stages == 2) {
        const RiV est = c.tent10 + (c.res11 + res) * half;
        RiStore(diff + (y - 1) * ds,
                _mm512_mask_blend_ps(greenLanes, est - mBefore, mBefore - est));
    }
    c.a5 = a4, c.b5 = b4;
    c.res11 = c.res10, c.res10 = res, c.tent10 = tent;
}

// Green minus the line's colour down 16 columns of n >= 25 samples m (a
// row every ms floats, starting on a cache line), as RiLines<16> with that
// step, into diff (a row every ds floats) at rows [12, n - 12); the lanes'
// green parity at row 0 `green`. The rings hold kRiColumnRingFloats floats
// on a cache line; every ring slot is written before a kept value reads it.
// A function of its own, as RiRowLinesAvx512.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColumnLinesAvx512(const float* m, size_t ms,
                                                                       size_t n, size_t green,
                                                                       float limit, float floor,
                                                                       float* ring, float* diff,
                                                                       size_t ds) {
    const RiV top = _mm512_set1_ps(limit);
    const RiV zero = _mm512_setzero_ps();
    RiColumnCarry c{};
    c.m0 = RiLoad(m + 2 * ms), c.m1 = RiLoad(m + 3 * ms);
    c.u2 = RiProductsOf(RiLoad(m + ms), c.m0, c.m1);
    c.u1 = RiProductsOf(c.m0, c.m1, RiLoad(m + 4 * ms));
    c.m0 = c.m1, c.m1 = RiLoad(m + 4 * ms);
    c.a5 = c.b5 = c.a6 = c.b6 = c.res10 = c.res11 = c.tent10 = zero;
    // Lanes whose site at step x is green: (x + l) & 1 == green.
    const __mmask16 even = RiColumnLanes(green), odd = __mmask16(~even);
    size_t i = 4;
    for (; i < 10; ++i) RiColumnStep<0>(m, ms, i, 0, top, floor, ring, diff, ds, c);
    for (; i < 22; ++i) RiColumnStep<1>(m, ms, i, 0, top, floor, ring, diff, ds, c);
    for (; i < n - 2; ++i)
        RiColumnStep<2>(m, ms, i, (i - 10) & 1 ? odd : even, top, floor, ring, diff, ds, c);
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
