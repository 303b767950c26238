// Bilinear demosaic: every interior pixel keeps its own sample and takes the
// rounded mean of its nearest neighbours of each missing colour. The outermost
// rows and columns and every alpha byte are left as the caller's buffer held them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "simd/simd.h"

namespace orvex {

// The bilinear demosaic of a Mosaic8 or Mosaic16 view (the sample width it
// reads) into a colour layout view of its size; other layouts, patterns
// above 3 and images narrower or shorter than 3 write nothing.
void BilinearDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level);

class PackPlan;

// The drivers one build compiles: each interior row in one fused pass, the
// pixels packed by the plan.
using BilinearRowsFn = void (*)(const SourceView& src, const PackPlan& pack, SimdLevel level);
struct BilinearFusedSet {
    BilinearRowsFn rows8, rows16;
};
extern const BilinearFusedSet kBilinearFusedPortable, kBilinearFusedAvx2;

}  // namespace orvex
