#include "cubic/row_kernels.h"

#include <type_traits>

#include "core/samples.h"
#include "core/stream_copy.h"
#include "cubic/extract_vector_rows.h"
#include "cubic/symmetric_vector_rows.h"

namespace orvex {
namespace {

template <class S>
void Extract(const MosaicPlane& p, size_t mosaicRow, uint16_t* out) {
    const uint8_t* row =
        p.mosaic + ptrdiff_t(mosaicRow) * p.rowStride + ptrdiff_t(p.columnOffset * S::kBytes);
    const auto vectors = S::kBytes == 1 ? ExtractVectorRow8 : ExtractVectorRow16;
    for (size_t l = vectors(out, row, size_t(p.width), p.rowSamples - p.columnOffset);
         l < size_t(p.width); ++l)
        out[l] = static_cast<uint16_t>(S::Load(row, 2 * l));
}

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
                          const int32_t* index, const CubicWeightSet<typename Form::Weight>& w) {
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
                for (auto k = int32_t(EnlargeSymmetricVectorRow(scratch, in, kInPlace / 2,
                                                                size_t(pw), -1, 5,
                                                                SymmetricRounding::EighthsToEven));
                     k < pw; ++k) {
                    scratch[2 * k] = in[k];
                    scratch[2 * k + 1] =
                        HalfPhaseSum16(int32_t(in[k - 1]) + in[k + 2], int32_t(in[k]) + in[k + 1]);
                }
            } else if (PicksAnchorSample(w, 0) && symmetric) {
                // Phase 0 picks the anchor sample; the integer sum of the
                // symmetric phase 0.5 does not depend on its order.
                int32_t k = kInPlace / 2;
                if constexpr (std::is_integral_v<Sum>)
                    k = int32_t(
                        EnlargeSymmetricVectorRow(scratch, in, size_t(k), size_t(pw), o0, o1));
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
                                      size_t row) {
    using Sum = typename Form::Sum;
    // Phase 0: the output row is ring row S itself.
    if (PicksAnchorSample(w, row)) return ring[1] + lm;
    const Form form;
    const Sum w0 = w.table[0][row], w1 = w.table[1][row], w2 = w.table[2][row],
              w3 = w.table[3][row];
    const uint16_t *r0 = ring[0] + lm, *r1 = ring[1] + lm, *r2 = ring[2] + lm, *r3 = ring[3] + lm;
    if constexpr (std::is_floating_point_v<Sum>) {
        if (IsHalfPhase(w.table[0][row], w.table[1][row], w.table[2][row], w.table[3][row])) {
            for (size_t x = VerticalSymmetricVectorRow(out, r0, r1, r2, r3, 0, width, -1, 5,
                                                       SymmetricRounding::EighthsToEven);
                 x < width; ++x)
                out[x] = HalfPhaseSum16(int32_t(r0[x]) + r3[x], int32_t(r1[x]) + r2[x]);
            return out;
        }
    } else {
        // Integer sums do not depend on their order: a symmetric phase (0.5)
        // needs two products instead of four.
        if (w0 == w3 && w1 == w2) {
            for (size_t x = VerticalSymmetricVectorRow(out, r0, r1, r2, r3, 0, width, w0, w1);
                 x < width; ++x)
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

}  // namespace

void LoadMosaicRow(const MosaicPlane& plane, int32_t row, uint16_t* ring, int32_t lm, int32_t rm) {
    const int32_t r = row < 0 ? 0 : (row >= plane.height ? plane.height - 1 : row);
    const size_t mosaicRow = 2 * size_t(r) + plane.rowOffset;
    if (plane.wide)
        Extract<Sample16>(plane, mosaicRow, ring + lm);
    else
        Extract<Sample8>(plane, mosaicRow, ring + lm);
    for (int32_t i = 0; i < lm; ++i) ring[i] = ring[lm];
    for (int32_t i = 0; i < rm; ++i) ring[plane.width + lm + i] = ring[plane.width + lm - 1];
}

ORVEX_ROW_KERNEL void EnlargeRow(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                                 const int32_t* index, const CubicWeightSet<float>& weights) {
    Enlarge<FloatForm>(ring, scratch, outWidth, lm, index, weights);
}

ORVEX_ROW_KERNEL void EnlargeRowFixed(uint16_t* ring, uint16_t* scratch, int32_t outWidth,
                                      int32_t lm, const int32_t* index,
                                      const CubicWeightSet<int32_t>& weights) {
    Enlarge<FixedForm>(ring, scratch, outWidth, lm, index, weights);
}

ORVEX_ROW_KERNEL const uint16_t* VerticalRow(uint16_t* out, const uint16_t* const ring[4],
                                             size_t width, int32_t lm,
                                             const CubicWeightSet<float>& weights, size_t row) {
    return Vertical<FloatForm>(out, ring, width, lm, weights, row);
}

ORVEX_ROW_KERNEL const uint16_t* VerticalRowFixed(uint16_t* out, const uint16_t* const ring[4],
                                                  size_t width, int32_t lm,
                                                  const CubicWeightSet<int32_t>& weights,
                                                  size_t row) {
    return Vertical<FixedForm>(out, ring, width, lm, weights, row);
}

}  // namespace orvex
