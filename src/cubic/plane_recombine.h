// Recombination of the four full-size planes into a packed colour layout.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

// Plane-set indices: the colour of a plane, whatever the mosaic's pattern.
enum PlaneIndex { PlaneR = 0, PlaneB = 1, PlaneGr = 2, PlaneGb = 3 };

// One output row y of a BGR24, ARGB32, RGB48, BGRA32 or RGB24 destination
// (alpha 255) from the four plane rows of that row: R from PlaneR, B from
// PlaneB, G the truncated mean of PlaneGr and PlaneGb, each limited to
// 2^bitDepth - 1 (formats 8 to 12, patterns 0 to 3; the caller checks).
void RecombinePlaneRow(const ImageDesc& dst, const uint16_t* const planeRows[4], uint32_t format,
                       uint32_t width, uint32_t y, uint32_t pattern);
// RGB48's row 0 is a copy of its row 1.
void CopyRecombinedRowOneToZero(const ImageDesc& dst, uint32_t width);

}  // namespace orvex
