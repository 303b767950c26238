// Recombination of the four full-size planes into a packed colour layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "cubic/row_kernels.h"

namespace orvex {

// Plane-set indices: the colour of a plane, whatever the mosaic's pattern.
enum PlaneIndex { PlaneR = 0, PlaneB = 1, PlaneGr = 2, PlaneGb = 3 };

// One output row of a BGR24, ARGB32, RGB48, BGRA32 or RGB24 layout (alpha
// 255), from `out` on, from the four plane rows of that row: R from PlaneR,
// B from PlaneB, G the truncated mean of PlaneGr and PlaneGb, each limited
// to maxValue (formats 8 to 12, patterns 0 to 3; the caller checks).
void RecombinePlaneRow(uint8_t* out, const uint16_t* const planeRows[4], uint32_t format,
                       size_t width, uint32_t pattern, uint32_t maxValue,
                       const CubicRowKernels& kernels);

}  // namespace orvex
