// Row loops of the cubic methods, included by the file of each instruction
// set that compiles them (portable and AVX2 builds of one body).
#pragma once

#include <cstddef>
#include <type_traits>

#include "core/formats.h"
#include "core/samples.h"
#include "core/stream_copy.h"
#include "methods/cubic/plane_recombine.h"
#include "methods/cubic/row_kernels.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

struct FloatForm {
    using Weight = float;
    using Sum = double;
    uint16_t Sample(double sum) const { return FloatSum16(sum, kFloatLowBound); }
};

struct FixedForm {
    using Weight = int32_t;
    using Sum = int32_t;
    uint16_t Sample(int32_t sum) const { return FixedSum16(sum); }
};

// One output of the horizontal pass, in the pass's association order.
template <class Form>
ORVEX_INLINE uint16_t HorizontalOutput(const Form& form, const uint16_t* ring, int32_t q,
                                       const CubicWeightSet<typename Form::Weight>& w, size_t x) {
    using Sum = typename Form::Sum;
    const Sum sum = ((Sum(ring[q + 1]) * w.table[1][x] + Sum(ring[q + 2]) * w.table[0][x]) +
                     Sum(ring[q - 1]) * w.table[3][x]) +
                    Sum(ring[q]) * w.table[2][x];
    return form.Sample(sum);
}

// True when entry i of the weights picks the anchor S alone (phase 0): the
// sum is then that sample exactly, in both number forms.
template <class Weight>
bool PicksAnchorSample(const CubicWeightSet<Weight>& w, size_t i) {
    const Weight unit = std::is_same_v<Weight, float> ? Weight(1) : Weight(1024);
    return w.table[0][i] == 0 && w.table[1][i] == 0 && w.table[2][i] == unit && w.table[3][i] == 0;
}

template <class Form>
ORVEX_INLINE void Enlarge(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                          const int32_t* index, const CubicWeightSet<typename Form::Weight>& w,
                          const CubicRowKernels& kernels) {
    using Sum = typename Form::Sum;
    const Form form;
    constexpr int32_t kInPlace = 4;  // outputs below this may read outputs
    const int32_t bulkEnd = outWidth;
    if (bulkEnd > kInPlace) {
        const uint16_t* in = ring + lm;
        const int32_t pw = index[outWidth - 1] + 1;
        if (outWidth == 2 * pw) {
            // Even outputs sit on input samples, odd ones halfway: the
            // weights repeat with period 2 and the anchor of 2k and 2k + 1 is k.
            const Sum e0 = w.table[0][0], e1 = w.table[1][0], e2 = w.table[2][0],
                      e3 = w.table[3][0];
            const Sum o0 = w.table[0][1], o1 = w.table[1][1], o2 = w.table[2][1],
                      o3 = w.table[3][1];
            const bool symmetric = std::is_integral_v<Sum> && o0 == o3 && o1 == o2;
            const bool halfPhase =
                std::is_floating_point_v<Sum> &&
                IsHalfPhase(w.table[0][1], w.table[1][1], w.table[2][1], w.table[3][1]);
            if (PicksAnchorSample(w, 0) && halfPhase) {
                const size_t vectors = kernels.enlarge[kEighthsToEven].Run(
                    kInPlace / 2, [&](EnlargeSymmetricFn f, size_t first) {
                        return f(scratch, in, first, size_t(pw), -1, 5);
                    });
                for (auto k = int32_t(vectors); k < pw; ++k) {
                    scratch[2 * k] = in[k];
                    scratch[2 * k + 1] =
                        HalfPhaseSum16(int32_t(in[k - 1]) + in[k + 2], int32_t(in[k]) + in[k + 1]);
                }
            } else if (PicksAnchorSample(w, 0) && symmetric) {
                // Phase 0 picks the anchor sample; the integer sum of the
                // symmetric phase 0.5 does not depend on its order.
                int32_t k = kInPlace / 2;
                if constexpr (std::is_integral_v<Sum>)
                    k = int32_t(kernels.enlarge[kFixed1024].Run(
                        size_t(k), [&](EnlargeSymmetricFn f, size_t first) {
                            return f(scratch, in, first, size_t(pw), o0, o1);
                        }));
                for (; k < pw; ++k) {
                    scratch[2 * k] = in[k];
                    scratch[2 * k + 1] = form.Sample((Sum(in[k - 1]) + Sum(in[k + 2])) * o0 +
                                                     (Sum(in[k]) + Sum(in[k + 1])) * o1);
                }
            } else if (PicksAnchorSample(w, 0)) {
                // Phase 0 weights pick the anchor sample itself.
                for (int32_t k = kInPlace / 2; k < pw; ++k) {
                    const Sum a = in[k - 1], b = in[k], c = in[k + 1], d = in[k + 2];
                    scratch[2 * k] = in[k];
                    scratch[2 * k + 1] = form.Sample(((c * o1 + d * o0) + a * o3) + b * o2);
                }
            } else {
                for (int32_t k = kInPlace / 2; k < pw; ++k) {
                    const Sum a = in[k - 1], b = in[k], c = in[k + 1], d = in[k + 2];
                    scratch[2 * k] = form.Sample(((c * e1 + d * e0) + a * e3) + b * e2);
                    scratch[2 * k + 1] = form.Sample(((c * o1 + d * o0) + a * o3) + b * o2);
                }
            }
        } else {
            for (int32_t x = kInPlace; x < outWidth; ++x)
                scratch[x] = HorizontalOutput(form, ring, index[x] + lm, w, size_t(x));
        }
        CopyRow(ring + lm + kInPlace, scratch + kInPlace,
                size_t(outWidth - kInPlace) * sizeof(uint16_t));
    }
    for (int32_t x = (outWidth < kInPlace ? outWidth : kInPlace) - 1; x >= 0; --x)
        ring[x + lm] = HorizontalOutput(form, ring, index[x] + lm, w, size_t(x));
}

template <class Form>
ORVEX_INLINE const uint16_t* Vertical(uint16_t* out, const uint16_t* const ring[4], size_t width,
                                      int32_t lm, const CubicWeightSet<typename Form::Weight>& w,
                                      size_t row, const CubicRowKernels& kernels) {
    using Sum = typename Form::Sum;
    // Phase 0: the output row is ring row S itself.
    if (PicksAnchorSample(w, row)) return ring[1] + lm;
    const Form form;
    const Sum w0 = w.table[0][row], w1 = w.table[1][row], w2 = w.table[2][row],
              w3 = w.table[3][row];
    const uint16_t *r0 = ring[0] + lm, *r1 = ring[1] + lm, *r2 = ring[2] + lm, *r3 = ring[3] + lm;
    if constexpr (std::is_floating_point_v<Sum>) {
        if (IsHalfPhase(w.table[0][row], w.table[1][row], w.table[2][row], w.table[3][row])) {
            const size_t vectors =
                kernels.vertical[kEighthsToEven].Run(0, [&](VerticalSymmetricFn f, size_t first) {
                    return f(out, r0, r1, r2, r3, first, width, -1, 5);
                });
            for (size_t x = vectors; x < width; ++x)
                out[x] = HalfPhaseSum16(int32_t(r0[x]) + r3[x], int32_t(r1[x]) + r2[x]);
            return out;
        }
    } else {
        // Integer sums do not depend on their order: a symmetric phase (0.5)
        // needs two products instead of four.
        if (w0 == w3 && w1 == w2) {
            const size_t vectors =
                kernels.vertical[kFixed1024].Run(0, [&](VerticalSymmetricFn f, size_t first) {
                    return f(out, r0, r1, r2, r3, first, width, w0, w1);
                });
            for (size_t x = vectors; x < width; ++x)
                out[x] =
                    form.Sample((Sum(r0[x]) + Sum(r3[x])) * w0 + (Sum(r1[x]) + Sum(r2[x])) * w1);
            return out;
        }
    }
    for (size_t x = 0; x < width; ++x)
        out[x] =
            form.Sample(((Sum(r0[x]) * w3 + Sum(r1[x]) * w2) + Sum(r2[x]) * w1) + Sum(r3[x]) * w0);
    return out;
}

inline uint32_t Limit(uint32_t v, uint32_t maxValue) {
    return v > maxValue ? maxValue : v;
}

// Pixels of a row recombined per chunk; their values live on the stack.
constexpr size_t kRecombineChunk = 256;

// The values of n pixels from plane columns on. The values live on the
// stack, apart from the planes, which the compiler must know to vectorise.
ORVEX_INLINE void RecombineValues(const uint16_t* __restrict r, const uint16_t* __restrict b,
                                  const uint16_t* __restrict gr, const uint16_t* __restrict gb,
                                  size_t n, uint32_t maxValue, uint16_t* __restrict vr,
                                  uint16_t* __restrict vg, uint16_t* __restrict vb) {
    for (size_t k = 0; k < n; ++k) {
        vr[k] = static_cast<uint16_t>(Limit(r[k], maxValue));
        vg[k] = static_cast<uint16_t>(Limit((uint32_t(gr[k]) + gb[k]) >> 1, maxValue));
        vb[k] = static_cast<uint16_t>(Limit(b[k], maxValue));
    }
}

// Pixels x0 .. x0 + n - 1 from plane columns column + k, packed by the plan.
ORVEX_INLINE void RecombineChunk(const PackPlan& pack, const PackRow& row,
                                 const uint16_t* const src[4], size_t x0, size_t n,
                                 ptrdiff_t column, uint32_t maxValue) {
    uint16_t vr[kRecombineChunk], vg[kRecombineChunk], vb[kRecombineChunk];
    RecombineValues(src[PlaneR] + column, src[PlaneB] + column, src[PlaneGr] + column,
                    src[PlaneGb] + column, n, maxValue, vr, vg, vb);
    pack.Put(row, x0, n, vr, vg, vb);
}

// One output row: R, B and the truncated mean of Gr and Gb, each limited to
// maxValue; pixel x reads plane column x - 1, and the frame's pixel 0
// (frameStart) repeats pixel 1: no plane column lies left of it, and the
// cubic results have always repeated it rather than reflect. Three-byte
// pixels take the vector kernels from pixel 1 on.
ORVEX_INLINE void RecombineRow(const PackPlan& pack, const PackRow& row,
                               const uint16_t* const src[4], size_t width, uint32_t maxValue,
                               bool frameStart, const CubicRowKernels& kernels) {
    const DirectPixels direct = pack.Direct(1);
    size_t x = 1;
    if (direct.step == 3)
        x = kernels.recombine[direct.redFirst].Run(1, [&](RecombineRowFn f, size_t first) {
            return f(row.at[0], src[PlaneR], src[PlaneGr], src[PlaneGb], src[PlaneB], first, width,
                     static_cast<uint16_t>(maxValue > 65535 ? 65535 : maxValue));
        });
    RecombineChunk(pack, row, src, 0, 1, frameStart ? 0 : -1, maxValue);
    for (size_t x0 = x; x0 < width; x0 += kRecombineChunk) {
        const size_t n = width - x0 < kRecombineChunk ? width - x0 : kRecombineChunk;
        RecombineChunk(pack, row, src, x0, n, ptrdiff_t(x0) - 1, maxValue);
    }
}

}  // namespace
}  // namespace orvex

// The loops of one build (portable or an instruction set's target).
#define ORVEX_CUBIC_LOOP_SET(Name, TARGET)                                                        \
    namespace {                                                                                   \
    TARGET void EnlargeFloatLoop(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm, \
                                 const int32_t* index, const CubicWeightSet<float>& w,            \
                                 const CubicRowKernels& k) {                                      \
        Enlarge<FloatForm>(ring, scratch, outWidth, lm, index, w, k);                             \
    }                                                                                             \
    TARGET void EnlargeFixedLoop(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm, \
                                 const int32_t* index, const CubicWeightSet<int32_t>& w,          \
                                 const CubicRowKernels& k) {                                      \
        Enlarge<FixedForm>(ring, scratch, outWidth, lm, index, w, k);                             \
    }                                                                                             \
    TARGET const uint16_t* VerticalFloatLoop(uint16_t* out, const uint16_t* const ring[4],        \
                                             size_t width, int32_t lm,                            \
                                             const CubicWeightSet<float>& w, size_t row,          \
                                             const CubicRowKernels& k) {                          \
        return Vertical<FloatForm>(out, ring, width, lm, w, row, k);                              \
    }                                                                                             \
    TARGET const uint16_t* VerticalFixedLoop(uint16_t* out, const uint16_t* const ring[4],        \
                                             size_t width, int32_t lm,                            \
                                             const CubicWeightSet<int32_t>& w, size_t row,        \
                                             const CubicRowKernels& k) {                          \
        return Vertical<FixedForm>(out, ring, width, lm, w, row, k);                              \
    }                                                                                             \
    TARGET void RecombineLoop(const PackPlan& pack, const PackRow& row,                           \
                              const uint16_t* const src[4], size_t width, uint32_t maxValue,      \
                              bool frameStart, const CubicRowKernels& k) {                        \
        RecombineRow(pack, row, src, width, maxValue, frameStart, k);                             \
    }                                                                                             \
    }                                                                                             \
    extern const CubicLoopSet Name = {EnlargeFloatLoop, EnlargeFixedLoop, VerticalFloatLoop,      \
                                      VerticalFixedLoop, RecombineLoop};
