// The colour stage's passes along a row in AVX-512 registers, a block of 16
// sites at a time: the values of RiColourRowSums, RiColourCoefficients,
// RiColourMeans and RiColourRow (ri_colour.h), each site's the same
// operations in the same order, neighbours by shifts between aligned blocks
// and each pass's stages a fixed number of blocks apart, as the line and
// green stages' (ri_line_blocks_avx512.h). Included by the AVX-512 build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_colour.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// RiLaplacian of the block: blocks of the row and the entries two rows up
// and down.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiLaplacianV(RiV up, const RiBlocks& v, RiV down) {
    return (((4.0f * v.here - v.At<-1>()) - v.At<1>()) - up) - down;
}

// (v[k - 1] + v[k]) + v[k + 1].
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiThreeV(const RiBlocks& v) {
    return (v.At<-1>() + v.here) + v.At<1>();
}

// RiColourRowSums: block j's sums with block j + 1's Laplacians.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColourRowSumsAvx512(
    const RiWindow& win, const RiColourSites& c, size_t cx, const RiRing* sums, size_t y) {
    constexpr size_t B = 16;
    const RiV zero = _mm512_setzero_ps();
    const float *t = c.m[y], *gr = c.g[y];
    const float *tu = c.m[y - 2], *td = c.m[y + 2], *gu = c.g[y - 2], *gd = c.g[y + 2];
    float *st = sums[0][y], *sg = sums[1][y], *sp = sums[2][y], *sq = sums[3][y];
    RiV tBefore = zero, tHere = RiLoad(t), tAfter = RiLoad(t + B);
    RiV gBefore = zero, gHere = RiLoad(gr), gAfter = RiLoad(gr + B);
    const RiV lm0 = RiLaplacianV(RiLoad(tu), {zero, tHere, tAfter}, RiLoad(td));
    const RiV lg0 = RiLaplacianV(RiLoad(gu), {zero, gHere, gAfter}, RiLoad(gd));
    RiV pBefore = zero, pHere = lm0 * lg0, qBefore = zero, qHere = lg0 * lg0;
    for (size_t k = 0; cx + 2 * k + 24 < win.w; k += B) {
        const size_t a = k + B;
        const RiV tNext = RiLoad(t + a + B), gNext = RiLoad(gr + a + B);
        const RiV lm = RiLaplacianV(RiLoad(tu + a), {tHere, tAfter, tNext}, RiLoad(td + a));
        const RiV lg = RiLaplacianV(RiLoad(gu + a), {gHere, gAfter, gNext}, RiLoad(gd + a));
        const RiV pAfter = lm * lg, qAfter = lg * lg;
        RiStore(st + k, RiThreeV({tBefore, tHere, tAfter}));
        RiStore(sg + k, RiThreeV({gBefore, gHere, gAfter}));
        RiStore(sp + k, RiThreeV({pBefore, pHere, pAfter}));
        RiStore(sq + k, RiThreeV({qBefore, qHere, qAfter}));
        tBefore = tHere, tHere = tAfter, tAfter = tNext;
        gBefore = gHere, gHere = gAfter, gAfter = gNext;
        pBefore = pHere, pHere = pAfter, qBefore = qHere, qHere = qAfter;
    }
}

// A block of the windows' slopes and offsets from the row sums of the
// colour's rows y - 2, y and y + 2.
struct RiColourFit {
    RiV a, b;
};
struct RiColourSums {
    const RiRing* sums;
    size_t y;
    ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV Three(size_t j, size_t k) const {
        return (RiLoad(sums[j][y - 2] + k) + RiLoad(sums[j][y] + k)) + RiLoad(sums[j][y + 2] + k);
    }
    ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiColourFit Fit(size_t k, float floor) const {
        constexpr float kNinth = 1.0f / 9;
        const RiV st = Three(0, k), sg = Three(1, k), slmg = Three(2, k), slgg = Three(3, k);
        const RiV slope = (slmg * kNinth + floor) / (slgg * kNinth + floor);
        return {slope, (st - slope * sg) * kNinth};
    }
};

// RiColourCoefficients: block j's sums over the centres with block j + 1's
// slopes and offsets, into the rings' columns cx + 2 k and cx + 2 k - 1 of
// block j's entries k by interleaving.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColourCoefficientsAvx512(
    const RiWindow& win, const RiRing* sums, const RiColourRings& c, size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w, cx = c.cx;
    const float floor = win.floor;
    const RiV zero = _mm512_setzero_ps();
    const RiColourSums rows{sums, y};
    // Lanes 0 .. 7 of the pairs (u[i], v[i]), then 8 .. 15.
    const __m512i low = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const __m512i high =
        _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    float* const out[2] = {c.ra[y], c.rb[y]};
    RiColourFit before{zero, zero}, here = rows.Fit(0, floor);
    for (size_t k = 0; 2 * k + 26 < w; k += B) {
        const RiColourFit after = rows.Fit(k + B, floor);
        const RiV v[2][3] = {{before.a, here.a, after.a}, {before.b, here.b, after.b}};
        for (size_t j = 0; j < 2; ++j) {
            const RiBlocks s{v[j][0], v[j][1], v[j][2]};
            // Entry k's column of the colour sums three centres, the column
            // before it two.
            const RiV two = s.At<-1>() + s.here, three = two + s.At<1>();
            // Columns 2 k and 2 k + 1 of block j: with the colour's columns
            // even, entry k's three and entry k + 1's two, else entry k's
            // two and three.
            RiV first = two, second = three;
            if (cx == 0) first = three, second = s.here + s.At<1>();
            float* o = out[j] + 2 * k;
            RiStore(o, _mm512_permutex2var_ps(first, low, second));
            if (2 * k + B + 26 < w) RiStore(o + B, _mm512_permutex2var_ps(first, high, second));
        }
        before = here, here = after;
    }
}

// RiColourMeans over the blocks of [26, w - 26), without the zero residuals
// of the rows without the colour's sites: the colour's rows are the only
// ones whose residuals are read (across them, and up and down from the rows
// between).
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColourMeansAvx512(
    const RiWindow& win, const float* m, const float* g, const RiColourRings& c, size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w, at = y * w;
    const RiV top = _mm512_set1_ps(win.limit);
    const float *mm = m + at, *gr = g + at;
    float *e = c.est[y], *rs = c.res[y];
    const __mmask16 column = RiColumnLanes(c.cx);
    if ((y & 1) == c.cy) {
        const float *a0 = c.ra[y - 2], *a1 = c.ra[y], *a2 = c.ra[y + 2];
        const float *b0 = c.rb[y - 2], *b1 = c.rb[y], *b2 = c.rb[y + 2];
        const RiV n =
            _mm512_mask_blend_ps(column, _mm512_set1_ps(1.0f / 6), _mm512_set1_ps(1.0f / 9));
        for (size_t x = 0; x + 26 < w; x += B) {
            const RiV sa = (RiLoad(a0 + x) + RiLoad(a1 + x)) + RiLoad(a2 + x);
            const RiV sb = (RiLoad(b0 + x) + RiLoad(b1 + x)) + RiLoad(b2 + x);
            const RiV v = RiClipV(sa * n * RiLoad(gr + x) + sb * n, top);
            RiStore(e + x, v);
            RiStore(rs + x, _mm512_maskz_mov_ps(column, RiLoad(mm + x) - v));
        }
    } else {
        const float *a0 = c.ra[y - 1], *a1 = c.ra[y + 1];
        const float *b0 = c.rb[y - 1], *b1 = c.rb[y + 1];
        const RiV n =
            _mm512_mask_blend_ps(column, _mm512_set1_ps(1.0f / 4), _mm512_set1_ps(1.0f / 6));
        for (size_t x = 0; x + 26 < w; x += B) {
            const RiV sa = RiLoad(a0 + x) + RiLoad(a1 + x), sb = RiLoad(b0 + x) + RiLoad(b1 + x);
            RiStore(e + x, RiClipV(sa * n * RiLoad(gr + x) + sb * n, top));
        }
    }
}

// RiColourRow over the blocks of [kRiMargin, w - kRiMargin).
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiColourRowAvx512(const RiWindow& win,
                                                                     const float* m,
                                                                     const RiColourRings& c,
                                                                     const float* wt, float* out,
                                                                     size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w, at = y * w;
    const float *mm = m + at, *e = c.est[y], *rs = c.res[y];
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    // The colour's columns, and green's: off them on the colour's rows, on
    // them on the others.
    const __mmask16 column = RiColumnLanes(c.cx);
    const __mmask16 green = (y & 1) == c.cy ? __mmask16(~column) : column;
    const RiV half = _mm512_set1_ps(0.5f);
    RiV rBefore = _mm512_setzero_ps(), rHere = RiLoad(rs);
    for (size_t x = 0; x + kRiMargin < w; x += B) {
        const RiV rAfter = RiLoad(rs + x + B);
        const RiBlocks r{rBefore, rHere, rAfter};
        const RiV across = (r.At<-1>() + r.At<1>()) * half;
        const RiV along = (RiLoad(up + x) + RiLoad(down + x)) * half;
        const RiV ex = RiLoad(e + x);
        const RiV mixed = ex + (along + RiLoad(wt + x) * (across - along));
        const RiV own = _mm512_mask_blend_ps(column, ex + rHere, RiLoad(mm + x));
        RiStore(out + x, _mm512_mask_blend_ps(green, own, mixed));
        rBefore = rHere, rHere = rAfter;
    }
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
