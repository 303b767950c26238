// The portable build of the cubic row loops, plane-row reading, and the
// choice of kernels.
#include "methods/cubic/row_loops.h"

namespace orvex {

ORVEX_CUBIC_LOOP_SET(kCubicLoopsPortable, )

namespace {

template <class S>
void Extract(const MosaicPlane& p, size_t mosaicRow, uint16_t* out,
             const KernelChain<ExtractRowFn>& vectors) {
    const uint8_t* row = p.mosaic + (ptrdiff_t(mosaicRow) - p.firstRow) * p.rowStride +
                         ptrdiff_t(p.columnOffset * S::kBytes);
    const size_t width = size_t(p.width), available = p.rowSamples - p.columnOffset;
    for (size_t l = vectors.Run(
             0, [&](ExtractRowFn f, size_t first) { return f(out, row, first, width, available); });
         l < width; ++l)
        out[l] = static_cast<uint16_t>(S::Load(row, 2 * l));
}

}  // namespace

CubicRowKernels ChooseCubicRows(SimdFeatures level) {
    static const KernelImpl<CubicVectorSet> kVectorSets[] = {{Isa::Avx2, &kCubicVectorsAvx2},
                                                             {Isa::Ssse3, &kCubicVectorsSsse3}};
    static const KernelImpl<CubicLoopSet> kLoopSets[] = {{Isa::Avx2, &kCubicLoopsAvx2},
                                                         {kPortable, &kCubicLoopsPortable}};
    CubicRowKernels k{};
    for (size_t i = 0; i < 2; ++i) {
        k.extract[i] =
            ChainOf(kVectorSets, level, [&](const CubicVectorSet& s) { return s.extract[i]; });
        k.vertical[i] =
            ChainOf(kVectorSets, level, [&](const CubicVectorSet& s) { return s.vertical[i]; });
        k.enlarge[i] =
            ChainOf(kVectorSets, level, [&](const CubicVectorSet& s) { return s.enlarge[i]; });
        k.recombine[i] =
            ChainOf(kVectorSets, level, [&](const CubicVectorSet& s) { return s.recombine[i]; });
    }
    // A set compiled without its instruction set (another processor family's) is empty.
    k.loops = WidestOf(kLoopSets, level,
                       [](const CubicLoopSet& s) { return s.enlarge != nullptr ? &s : nullptr; });
    return k;
}

void LoadMosaicRow(const MosaicPlane& plane, int32_t row, uint16_t* ring, int32_t lm, int32_t rm,
                   const CubicRowKernels& kernels) {
    const int32_t r = row < 0 ? 0 : (row >= plane.height ? plane.height - 1 : row);
    const size_t mosaicRow = 2 * size_t(r) + plane.rowOffset;
    if (plane.wide)
        Extract<Sample16>(plane, mosaicRow, ring + lm, kernels.extract[1]);
    else
        Extract<Sample8>(plane, mosaicRow, ring + lm, kernels.extract[0]);
    for (int32_t i = 0; i < lm; ++i) ring[i] = ring[lm];
    for (int32_t i = 0; i < rm; ++i) ring[plane.width + lm + i] = ring[plane.width + lm - 1];
}

void EnlargeRow(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                const int32_t* index, const CubicWeightSet<float>& weights,
                const CubicRowKernels& kernels) {
    kernels.loops->enlarge(ring, scratch, outWidth, lm, index, weights, kernels);
}

void EnlargeRowFixed(uint16_t* ring, uint16_t* scratch, int32_t outWidth, int32_t lm,
                     const int32_t* index, const CubicWeightSet<int32_t>& weights,
                     const CubicRowKernels& kernels) {
    kernels.loops->enlargeFixed(ring, scratch, outWidth, lm, index, weights, kernels);
}

const uint16_t* VerticalRow(uint16_t* out, const uint16_t* const ring[4], size_t width, int32_t lm,
                            const CubicWeightSet<float>& weights, size_t row,
                            const CubicRowKernels& kernels) {
    return kernels.loops->vertical(out, ring, width, lm, weights, row, kernels);
}

const uint16_t* VerticalRowFixed(uint16_t* out, const uint16_t* const ring[4], size_t width,
                                 int32_t lm, const CubicWeightSet<int32_t>& weights, size_t row,
                                 const CubicRowKernels& kernels) {
    return kernels.loops->verticalFixed(out, ring, width, lm, weights, row, kernels);
}

}  // namespace orvex
