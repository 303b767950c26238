// The residuals' directions in AVX-512 registers, a block of 16 sites at a
// time: the values of RiVariationRow, RiResidualWeights and
// RiColourDiagonals (ri_residuals.h), each site's the same operations in the
// same order.
// Included by the AVX-512 build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_colour_blocks_avx512.h"
#include "methods/ri/ri_green_blocks_avx512.h"
#include "methods/ri/ri_residuals.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// RiVariation of blocks.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiVariationV(RiV a, RiV c, RiV b) {
    return RiAbs(a - b) + RiAbs((c + c - a) - b);
}

// Green's four variations at a block, from green's blocks about it in the
// rows above, of and below the site.
struct RiVariationsV {
    RiV d, a, h, v;
};
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiVariationsV RiVariationsOf(const RiBlocks& up,
                                                                     const RiBlocks& here,
                                                                     const RiBlocks& down) {
    return {RiVariationV(up.At<-1>(), here.here, down.At<1>()),
            RiVariationV(up.At<1>(), here.here, down.At<-1>()),
            RiVariationV(here.At<-1>(), here.here, here.At<1>()),
            RiVariationV(up.here, here.here, down.here)};
}

// Row y of RiVariationRow and, when `weights`, row y - 1 of
// RiResidualWeights from it and the rows before: step j loads green's block
// j + 2, forms the variations of block j + 1 and the row sums and weights of
// block j, the sums of row y kept in registers for the weights.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiResidualDirectionsAvx512(
    const RiWindow& win, const float* g, const RiResidualRings& r, size_t y, bool weights) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float *gu = g + (y - 1) * w, *gh = g + y * w, *gd = g + (y + 1) * w;
    float *sd = r.diagonal[y], *sa = r.antidiagonal[y], *sh = r.across[y], *sv = r.along[y];
    const float *d0 = r.diagonal[y - 2], *d1 = r.diagonal[y - 1];
    const float *a0 = r.antidiagonal[y - 2], *a1 = r.antidiagonal[y - 1];
    const float *h0 = r.across[y - 2], *h1 = r.across[y - 1];
    const float *v0 = r.along[y - 2], *v1 = r.along[y - 1];
    float* out = r.weight[y - 1];
    // Green's parity on row y - 1.
    const __mmask16 green = RiColumnLanes((win.greenParity + y - 1) & 1);
    const RiV floor = _mm512_set1_ps(win.limit * 1e-3f), zero = _mm512_setzero_ps();
    RiV uA = RiLoad(gu + 16), uB = RiLoad(gu + 32), hA = RiLoad(gh + 16), hB = RiLoad(gh + 32),
        dA = RiLoad(gd + 16), dB = RiLoad(gd + 32);
    RiVariationsV before{zero, zero, zero, zero};
    RiVariationsV here = RiVariationsOf({zero, uA, uB}, {zero, hA, hB}, {zero, dA, dB});
    for (size_t x = 16; x + 26 < w; x += B) {
        const RiV uC = RiLoad(gu + x + 2 * B), hC = RiLoad(gh + x + 2 * B),
                  dC = RiLoad(gd + x + 2 * B);
        const RiVariationsV next = RiVariationsOf({uA, uB, uC}, {hA, hB, hC}, {dA, dB, dC});
        const RiV sumD = RiThreeV({before.d, here.d, next.d});
        const RiV sumA = RiThreeV({before.a, here.a, next.a});
        const RiV sumH = RiThreeV({before.h, here.h, next.h});
        const RiV sumV = RiThreeV({before.v, here.v, next.v});
        RiStore(sd + x, sumD), RiStore(sa + x, sumA), RiStore(sh + x, sumH), RiStore(sv + x, sumV);
        if (weights) {
            const RiV boxD = (RiLoad(d0 + x) + RiLoad(d1 + x)) + sumD;
            const RiV boxA = (RiLoad(a0 + x) + RiLoad(a1 + x)) + sumA;
            const RiV boxH = (RiLoad(h0 + x) + RiLoad(h1 + x)) + sumH;
            const RiV boxV = (RiLoad(v0 + x) + RiLoad(v1 + x)) + sumV;
            const RiV u = _mm512_mask_blend_ps(green, boxD, boxH) + floor;
            const RiV v = _mm512_mask_blend_ps(green, boxA, boxV) + floor;
            RiStore(out + x, (v * v) / (u * u + v * v));
        }
        uA = uB, uB = uC, hA = hB, hB = hC, dA = dB, dB = dC;
        before = here, here = next;
    }
}

// RiColourDiagonals at row y: the colour's residuals in the rows above and
// below by shifts, the sites diagonal to the colour's written by mask.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColourDiagonalsAvx512(const RiWindow& win,
                                                                           const RiColourRings& c,
                                                                           const float* wt,
                                                                           size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    float* rs = c.res[y];
    const __mmask16 diagonal = RiColumnLanes(1 - c.cx);
    const RiV half = _mm512_set1_ps(0.5f);
    RiV uBefore = RiLoad(up), uHere = RiLoad(up + B), dBefore = RiLoad(down),
        dHere = RiLoad(down + B);
    for (size_t x = B; x + 27 < w; x += B) {
        const RiV uAfter = RiLoad(up + x + B), dAfter = RiLoad(down + x + B);
        const RiBlocks u{uBefore, uHere, uAfter}, d{dBefore, dHere, dAfter};
        const RiV first = (u.At<-1>() + d.At<1>()) * half;
        const RiV second = (u.At<1>() + d.At<-1>()) * half;
        _mm512_mask_store_ps(rs + x, diagonal, second + RiLoad(wt + x) * (first - second));
        uBefore = uHere, uHere = uAfter, dBefore = dHere, dHere = dAfter;
    }
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
