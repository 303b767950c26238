// The share of detail's passes in AVX-512 registers, a block of 16 sites at
// a time: the values of RiGreenRowDetail, RiGreenColumnDetail and
// RiGreenShare (ri_share.h), each site's the same operations in the same
// order, as the green stage's kernels (ri_green_blocks_avx512.h). Included
// by the AVX-512 build only.
#pragma once

#include <cstddef>

#include "methods/ri/ri_blocks_avx512.h"
#include "methods/ri/ri_green_blocks_avx512.h"
#include "methods/ri/ri_share.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)

namespace orvex {
namespace {

ORVEX_RI_BLOCKS_BEGIN

// Seven-site sums along a row, as RiSeven.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiSevenV(const RiBlocks& v) {
    return ((v.At<-3>() + v.At<-2>()) + (v.At<-1>() + v.here)) +
           ((v.At<1>() + v.At<2>()) + v.At<3>());
}

// The share's row sums, as RiGreenRowDetail: step j loads block j + 3 of
// the differences and j + 2 of the samples, forms the low-pass of block j +
// 2, the gradients of block j + 1 and the seven-site sums of block j, each
// block's values formed once and carried in registers.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenRowDetailAvx512(
    const RiWindow& win, const float* d, const float* m, const RiGreenRings& r, size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const RiV zero = _mm512_setzero_ps();
    const RiV d0 = RiLoad(d);
    RiV dA = RiLoad(d + B), dB = RiLoad(d + 2 * B);
    RiV lowA = RiLowPassV({zero, d0, dA}), lowB = RiLowPassV({d0, dA, dB});
    RiV dgA = zero, dgB = RiGradientOf({zero, lowA, lowB});
    RiV mA = RiLoad(m), mB = RiLoad(m + B);
    RiV mgA = zero, mgB = RiGradientOf({zero, mA, mB});
    float *dr = r.detailRow[y], *lr = r.levelRow[y];
    for (size_t x = 0; x < w - 20; x += B) {
        const RiV dC = RiLoad(d + x + 3 * B), mC = RiLoad(m + x + 2 * B);
        const RiV lowC = RiLowPassV({dA, dB, dC});
        const RiV dgC = RiGradientOf({lowA, lowB, lowC}), mgC = RiGradientOf({mA, mB, mC});
        RiStore(dr + x, RiSevenV({dgA, dgB, dgC}));
        RiStore(lr + x, RiSevenV({mgA, mgB, mgC}));
        dA = dB, dB = dC, lowA = lowB, lowB = lowC, dgA = dgB, dgB = dgC;
        mA = mB, mB = mC, mgA = mgB, mgB = mgC;
    }
}

// RiGreenColumnDetail at row y with its quad sums, after RiGreenColumnsAvx512
// at row y + 1 (rows of the quad sums before the first the stage reads are
// written from rows not yet computed, and never read).
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenColumnDetailAvx512(const RiWindow& win,
                                                                             const float* m,
                                                                             const RiGreenRings& r,
                                                                             size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float *s0 = r.sv[y - 1], *s1 = r.sv[y + 1];
    const float *m0 = m + (y - 1) * w, *m1 = m + (y + 1) * w;
    const float *dc0 = r.detailColumn[y - 3], *dc1 = r.detailColumn[y - 2],
                *dc2 = r.detailColumn[y - 1];
    const float *lc0 = r.levelColumn[y - 3], *lc1 = r.levelColumn[y - 2],
                *lc2 = r.levelColumn[y - 1];
    float *dc = r.detailColumn[y], *lc = r.levelColumn[y];
    float *dq = r.detailQuad[y - 3], *lq = r.levelQuad[y - 3];
    for (size_t x = 16; x + 18 < w; x += B) {
        const RiV detail = RiAbs(RiLoad(s0 + x) - RiLoad(s1 + x));
        const RiV level = RiAbs(RiLoad(m0 + x) - RiLoad(m1 + x));
        RiStore(dc + x, detail), RiStore(lc + x, level);
        RiStore(dq + x, (RiLoad(dc0 + x) + RiLoad(dc1 + x)) + (RiLoad(dc2 + x) + detail));
        RiStore(lq + x, (RiLoad(lc0 + x) + RiLoad(lc1 + x)) + (RiLoad(lc2 + x) + level));
    }
}

// Seven-row sums as RiSevenRows: the quad sums q, then rows v1 .. v3.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE RiV RiSevenRowsV(const float* q, const float* v1,
                                                         const float* v2, const float* v3,
                                                         size_t x) {
    return RiLoad(q + x) + ((RiLoad(v1 + x) + RiLoad(v2 + x)) + RiLoad(v3 + x));
}

// The share at row y, as RiGreenShare: block k's from the seven-row sums
// of blocks k - 1 .. k + 1, those of block k + 1 formed in its step and
// carried.
ORVEX_TARGET_AVX512 __attribute__((noinline)) void RiGreenShareAvx512(const RiWindow& win,
                                                                      const RiGreenRings& r,
                                                                      size_t y) {
    constexpr size_t B = 16;
    const size_t w = win.w;
    const float *dr0 = r.detailRow[y - 2], *dr1 = r.detailRow[y - 1], *dr2 = r.detailRow[y],
                *dr3 = r.detailRow[y + 1], *dr4 = r.detailRow[y + 2];
    const float *lr0 = r.levelRow[y - 2], *lr1 = r.levelRow[y - 1], *lr2 = r.levelRow[y],
                *lr3 = r.levelRow[y + 1], *lr4 = r.levelRow[y + 2];
    const float *dq = r.detailQuad[y - 3], *dc1 = r.detailColumn[y + 1],
                *dc2 = r.detailColumn[y + 2], *dc3 = r.detailColumn[y + 3];
    const float *lq = r.levelQuad[y - 3], *lc1 = r.levelColumn[y + 1], *lc2 = r.levelColumn[y + 2],
                *lc3 = r.levelColumn[y + 3];
    const float floor = win.limit * 1e-3f;
    const RiV one = _mm512_set1_ps(1.0f);
    float* out = r.share[y];
    RiV dOld = RiSevenRowsV(dq, dc1, dc2, dc3, 0), dHere = RiSevenRowsV(dq, dc1, dc2, dc3, B);
    RiV lOld = RiSevenRowsV(lq, lc1, lc2, lc3, 0), lHere = RiSevenRowsV(lq, lc1, lc2, lc3, B);
    for (size_t k = B; k < w - 20; k += B) {
        const RiV dNext = RiSevenRowsV(dq, dc1, dc2, dc3, k + B);
        const RiV lNext = RiSevenRowsV(lq, lc1, lc2, lc3, k + B);
        const RiBlocks dd{dOld, dHere, dNext}, ll{lOld, lHere, lNext};
        const RiV detail =
            ((((RiLoad(dr0 + k) + RiLoad(dr1 + k)) + RiLoad(dr2 + k)) + RiLoad(dr3 + k)) +
             RiLoad(dr4 + k)) +
            ((((dd.At<-2>() + dd.At<-1>()) + dd.here) + dd.At<1>()) + dd.At<2>());
        const RiV level =
            ((((RiLoad(lr0 + k) + RiLoad(lr1 + k)) + RiLoad(lr2 + k)) + RiLoad(lr3 + k)) +
             RiLoad(lr4 + k)) +
            ((((ll.At<-2>() + ll.At<-1>()) + ll.here) + ll.At<1>()) + ll.At<2>());
        RiStore(out + k, _mm512_min_ps(detail / (level + floor), one));
        dOld = dHere, dHere = dNext, lOld = lHere, lHere = lNext;
    }
}

ORVEX_RI_BLOCKS_END

}  // namespace
}  // namespace orvex

#endif
