// Bilinear demosaic: every pixel keeps its own sample and takes the rounded
// mean of its nearest neighbours of each missing colour. The frame's
// outermost rows and columns, whose neighbours run out, are written by
// reflection or left as the caller's buffer held them, as the call says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// The bilinear demosaic of a region of a Mosaic8 or Mosaic16 frame (the
// sample width it reads) into a colour layout view of the region's size;
// other layouts, patterns above 3 and frames below 2 x 2 write nothing.
void BilinearDemosaic(const Conversion& job, SimdFeatures level);

class PackPlan;

// The drivers one build compiles: each interior row in one fused pass, the
// pixels packed by the plan.
using BilinearRowsFn = void (*)(const Conversion& job, const PackPlan& pack, SimdFeatures level);
struct BilinearFusedSet {
    BilinearRowsFn rows8, rows16;
};
extern const BilinearFusedSet kBilinearFusedPortable, kBilinearFusedAvx2;

}  // namespace orvex
