// Block demosaic: each 2x2 cell's red, floored mean green and blue go to all
// four of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "methods/block/block_rows.h"
#include "methods/row_plan.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// What the cell kernels take besides the pack plan: whether the top row's
// colour is red or blue, and the row kernels of the pattern and layout.
struct BlockCellKernels {
    bool redOnTop;
    BlockRowKernels rows;
};

// A call's conversion settled once: its pack plan, the cell kernel of the
// level, sample width and pattern, and what it takes.
using BlockPlan = RowPlan<BlockCellKernels>;
BlockPlan PlanBlock(const Conversion& job, SimdFeatures level);

// A cell kernel: the region's pixels, packed by the plan.
using BlockCellsFn = BlockPlan::RowsFn;

// The cell kernels one build compiles, by [16-bit samples][green corner].
struct BlockCellsSet {
    BlockCellsFn cells[2][2];
};

extern const BlockCellsSet kBlockCellsPortable, kBlockCellsAvx2;

// The block demosaic of a region of a Mosaic8 or Mosaic16 frame (the sample
// width it reads) into a colour layout view of the region's size, patterns
// 0..3; other layouts and patterns write nothing. No kernel wider than level
// runs.
void BlockDemosaic(const Conversion& job, SimdFeatures level);

}  // namespace orvex
