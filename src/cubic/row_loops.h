// Row loops of the cubic methods, included by the file of each instruction
// set that compiles them (portable and AVX2 builds of one body).
#pragma once

#include <cstddef>
#include <type_traits>

#include "core/formats.h"
#include "core/samples.h"
#include "core/stream_copy.h"
#include "cubic/plane_recombine.h"
#include "cubic/row_kernels.h"

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

// A packed destination's pixel, from the layout table.
template <uint32_t kFormat>
struct Packed {
    static constexpr ChannelLayout kLayout = kLayoutOf<kFormat>;
    using Sample = std::conditional_t<kLayout.sampleBytes == 2, Sample16, Sample8>;
    static constexpr size_t kPixelSamples = kLayout.step;
    static constexpr int kRedSample = kLayout.r;
    static void Put(uint8_t* px, uint32_t r, uint32_t g, uint32_t b) {
        Sample::Store(px, kLayout.r, r);
        Sample::Store(px, kLayout.g, g);
        Sample::Store(px, kLayout.b, b);
        if constexpr (kLayout.alpha >= 0) Sample::Store(px, size_t(kLayout.alpha), 255);
    }
};

inline uint32_t Limit(uint32_t v, uint32_t maxValue) {
    return v > maxValue ? maxValue : v;
}

template <class Layout>
ORVEX_INLINE void RecombineRow(uint8_t* out, const uint16_t* const src[4], size_t width,
                               uint32_t maxValue, const CubicRowKernels& kernels) {
    constexpr size_t kStride = Layout::kPixelSamples * Layout::Sample::kBytes;
    // Local copies: the byte stores below could otherwise alias the array.
    const uint16_t* const r = src[PlaneR];
    const uint16_t* const b = src[PlaneB];
    const uint16_t* const gr = src[PlaneGr];
    const uint16_t* const gb = src[PlaneGb];
    auto pixel = [=](size_t x, size_t col) {
        const uint32_t g = (uint32_t(gr[col]) + gb[col]) >> 1;
        Layout::Put(out + x * kStride, Limit(r[col], maxValue), Limit(g, maxValue),
                    Limit(b[col], maxValue));
    };
    pixel(0, 0);
    size_t x = 1;
    if constexpr (Layout::Sample::kBytes == 1 && Layout::kPixelSamples == 3)
        x = kernels.recombine[Layout::kRedSample == 0].Run(1, [&](RecombineRowFn f, size_t first) {
            return f(out, r, gr, gb, b, first, width,
                     static_cast<uint16_t>(maxValue > 65535 ? 65535 : maxValue));
        });
    for (; x < width; ++x) pixel(x, x - 1);
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
    template <uint32_t kFormat>                                                                   \
    TARGET void RecombineLoop(uint8_t* out, const uint16_t* const src[4], size_t width,           \
                              uint32_t maxValue, const CubicRowKernels& k) {                      \
        RecombineRow<Packed<kFormat>>(out, src, width, maxValue, k);                              \
    }                                                                                             \
    }                                                                                             \
    extern const CubicLoopSet Name = {                                                            \
        EnlargeFloatLoop,                                                                         \
        EnlargeFixedLoop,                                                                         \
        VerticalFloatLoop,                                                                        \
        VerticalFixedLoop,                                                                        \
        {RecombineLoop<kFormatBgr24>, RecombineLoop<kFormatArgb32>, RecombineLoop<kFormatRgb48>,  \
         RecombineLoop<kFormatBgra32>, RecombineLoop<kFormatRgb24>}};
