// Block demosaic: each 2x2 cell's red, floored mean green and blue go to all
// four of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// The block demosaic of a region of a Mosaic8 or Mosaic16 frame (the sample
// width it reads) into a colour layout view of the region's size, patterns
// 0..3; other layouts and patterns write nothing. No kernel wider than level
// runs.
void BlockDemosaic(const Conversion& job, SimdFeatures level);

class PackPlan;

// A cell kernel: the region's pixels, packed by the plan; the top row's
// colour is red or blue. level picks the row kernels inside.
using BlockCellsFn = void (*)(const Conversion& job, const PackPlan& pack, bool redOnTop,
                              SimdFeatures level);

// The cell kernels one build compiles, by [16-bit samples][green corner].
struct BlockCellsSet {
    BlockCellsFn cells[2][2];
};

extern const BlockCellsSet kBlockCellsPortable, kBlockCellsAvx2;

}  // namespace orvex
