// Row kernels of the banded cubic conversion: extraction of a plane row from
// the mosaic, the horizontal and vertical passes on explicit rows, in both
// number forms. They give the same samples as HorizontalPass, the
// drivers' vertical sums and ToSample16, written so the compiler can
// vectorise them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "methods/cubic/cubic_vector_rows.h"
#include "methods/cubic/cubic_weights.h"

namespace orvex {

// A plane of the mosaic read in place: plane sample (r, l) is mosaic sample
// (2r + rowOffset, 2l + columnOffset).
struct MosaicPlane {
    const uint8_t* mosaic;  // mosaic row firstRow
    ptrdiff_t rowStride;    // bytes from one mosaic row to the next
    size_t rowSamples;      // samples of a mosaic row
    bool wide;              // 16-bit samples
    size_t rowOffset, columnOffset;
    int32_t width, height;   // plane size
    ptrdiff_t firstRow = 0;  // the first mosaic row held (the view's)
};

struct CubicLoopSet;
class PackPlan;
struct PackRow;

// The kernels of one cubic call, chosen once from its instruction-set level:
// the vector kernels' chains and the build of the row loops.
struct CubicRowKernels {
    KernelChain<ExtractRowFn> extract[2];          // [16-bit samples]
    KernelChain<VerticalSymmetricFn> vertical[2];  // [SymmetricRounding]
    KernelChain<EnlargeSymmetricFn> enlarge[2];    // [SymmetricRounding]
    KernelChain<RecombineRowFn> recombine[2];      // [R in the pixel's first byte]
    const CubicLoopSet* loops;
};

CubicRowKernels ChooseCubicRows(SimdFeatures level);

// Plane row `row` (clamped into the plane) between its replicated edges:
// ring[lm..lm+pw-1] the row, ring[0..lm-1] its first and ring[pw+lm..pw+lm+rm-1]
// its last sample. Its own edge rule on purpose: a plane holds one colour,
// and its edge samples repeat as the cubic results always had them, where
// the methods that read the mosaic itself reflect (core/mirror.h).
void LoadMosaicRow(const MosaicPlane& plane, int32_t row, uint16_t* ring, int32_t lm, int32_t rm,
                   const CubicRowKernels& kernels);

// Step 6 of the horizontal pass on one ring row, for output widths of 2 or
// 2 + 1 times the plane width. Outputs 4 and up read input samples only and
// go through `scratch` (outWidth samples); outputs 3 to 0 follow in place,
// in that order, so output 1 still reads output 2 for its S + 2 tap.
void EnlargeRow(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                const int32_t* index, const CubicWeightSet<float>& weights,
                const CubicRowKernels& kernels);
void EnlargeRowFixed(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                     const int32_t* index, const CubicWeightSet<int32_t>& weights,
                     const CubicRowKernels& kernels);

// Vertical pass of one output row from the four ring rows S - 1 .. S + 2
// (positions lm .. lm + width - 1), weights of entry `row`. Returns the
// output row: `out`, or ring row S itself where the weights pick it alone.
const uint16_t* VerticalRow(uint16_t* out, const uint16_t* const ring[4], size_t width, int32_t lm,
                            const CubicWeightSet<float>& weights, size_t row,
                            const CubicRowKernels& kernels);
const uint16_t* VerticalRowFixed(uint16_t* out, const uint16_t* const ring[4], size_t width,
                                 int32_t lm, const CubicWeightSet<int32_t>& weights, size_t row,
                                 const CubicRowKernels& kernels);

// The row loops one build compiles (portable, and AVX2 where the compiler
// vectorises them with it).
struct CubicLoopSet {
    void (*enlarge)(uint16_t*, uint16_t*, int32_t, int32_t, const int32_t*,
                    const CubicWeightSet<float>&, const CubicRowKernels&);
    void (*enlargeFixed)(uint16_t*, uint16_t*, int32_t, int32_t, const int32_t*,
                         const CubicWeightSet<int32_t>&, const CubicRowKernels&);
    const uint16_t* (*vertical)(uint16_t*, const uint16_t* const[4], size_t, int32_t,
                                const CubicWeightSet<float>&, size_t, const CubicRowKernels&);
    const uint16_t* (*verticalFixed)(uint16_t*, const uint16_t* const[4], size_t, int32_t,
                                     const CubicWeightSet<int32_t>&, size_t,
                                     const CubicRowKernels&);
    void (*recombine)(const PackPlan&, const PackRow&, const uint16_t* const[4], size_t, uint32_t,
                      bool, const CubicRowKernels&);
};

extern const CubicLoopSet kCubicLoopsPortable, kCubicLoopsAvx2;

// Single-precision sums below the smallest normal float give sample 0.
inline constexpr double kFloatLowBound = 1.1754943508222875e-38;

// ToSample16 without the rounding call: the same sample for every sum.
inline uint16_t FloatSum16(double sum, double lowBound) {
    const float f = static_cast<float>(sum);
    // Adding and removing 1.5 x 2^23 rounds 0 <= f < 2^22 to the nearest
    // integer, ties to even, in single precision.
    const auto rounded = static_cast<int32_t>((f + 12582912.0f) - 12582912.0f);
    const int32_t limited = f > 65535.0f ? 65535 : rounded;
    return static_cast<uint16_t>(sum < lowBound ? 0 : limited);
}

// Phase 0.5 of the single-precision weights is exact eighths, (-1, 5, 5, -1) / 8.
// Every product and sum of its double-precision pass is then exact, and so is
// the rounding to single precision: what remains is rounding an exact
// multiple of 1/8 to the nearest integer, ties to even, which integers do
// alike. outer = samples S - 1 + S + 2, inner = S + S + 1.
inline bool IsHalfPhase(float w0, float w1, float w2, float w3) {
    return w0 == -0.125f && w3 == -0.125f && w1 == 0.625f && w2 == 0.625f;
}

inline uint16_t HalfPhaseSum16(int32_t outer, int32_t inner) {
    const int32_t eighths = 5 * inner - outer;
    // Halves go up from odd integers and down from even ones.
    const int32_t rounded = (eighths + 3 + ((eighths >> 3) & 1)) >> 3;
    return static_cast<uint16_t>(eighths <= 0 ? 0 : (rounded > 65535 ? 65535 : rounded));
}

inline uint16_t FixedSum16(int32_t sum) {
    const int32_t v = sum >> 10;
    return static_cast<uint16_t>(v < 0 ? 0 : (v > 65535 ? 65535 : v));
}

}  // namespace orvex
