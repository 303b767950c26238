// Recombination of the four full-size planes into a packed colour layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "methods/cubic/row_kernels.h"

namespace orvex {

// Plane-set indices: the colour of a plane, whatever the mosaic's pattern.
enum PlaneIndex { PlaneR = 0, PlaneB = 1, PlaneGr = 2, PlaneGb = 3 };

// Region pixels 0 .. width - 1 of one output row, frame pixels x0 on,
// packed by the plan, from the four plane rows of that row (index 0: plane
// column `first`): R from PlaneR, B from PlaneB, G the truncated mean of
// PlaneGr and PlaneGb, each limited to maxValue (patterns 0 to 3; the caller
// checks).
void RecombinePlaneRow(const PackPlan& pack, const PackRow& row, const uint16_t* const planeRows[4],
                       size_t first, size_t x0, size_t width, uint32_t pattern, uint32_t maxValue,
                       const CubicRowKernels& kernels);

}  // namespace orvex
