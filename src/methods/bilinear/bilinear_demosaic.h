// Bilinear demosaic: every pixel keeps its own sample and takes the rounded
// mean of its nearest neighbours of each missing colour. The frame's
// outermost rows and columns, whose neighbours run out, are written by
// reflection or left as the caller's buffer held them, as the call says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "methods/bilinear/bilinear_rows.h"
#include "methods/row_plan.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// The row kernels of a call, settled once: the vector kernels of both
// frame row parities where they write the layout directly, else the vector
// kernel of the channel values the pack stage converts.
struct BilinearRowKernels {
    KernelChain<BilinearRowFn> vectors[2];  // by frame row parity
    BilinearValuesFn values;                // or null
    bool fillAlpha;                         // alpha follows the four-byte kernels
    size_t offset;                          // bytes before a pixel's first channel
    BilinearRowFn streams[2];               // streaming opaque kernels, by parity, or null
    // The frame's left and right edge columns by the vector kernels: by
    // parity, [right], or null; the right one from region column rightEdgeAt.
    BilinearEdgeFn edges[2][2];
    size_t rightEdgeAt;
};

// Columns an edge kernel writes.
constexpr size_t kEdgeColumns = 64;
BilinearRowKernels ChooseBilinearRows(const Conversion& job, const PackPlan& pack,
                                      size_t sampleBytes, SimdFeatures level);

// A call's conversion settled once: its pack plan, the driver of the level
// and of the mosaic's sample width, and its row kernels.
using BilinearPlan = RowPlan<BilinearRowKernels>;
BilinearPlan PlanBilinear(const Conversion& job, SimdFeatures level);

// The drivers one build compiles: each interior row in one fused pass, the
// pixels packed by the plan.
using BilinearRowsFn = BilinearPlan::RowsFn;
struct BilinearFusedSet {
    BilinearRowsFn rows8, rows16;
};
extern const BilinearFusedSet kBilinearFusedPortable, kBilinearFusedAvx2;

// The bilinear demosaic of a region of a Mosaic8 or Mosaic16 frame (the
// sample width it reads) into a colour layout view of the region's size;
// other layouts, patterns above 3 and frames below 2 x 2 write nothing.
void BilinearDemosaic(const Conversion& job, SimdFeatures level);

}  // namespace orvex
