// Recombination of the four full-size planes into a packed colour layout.
#pragma once

#include <cstdint>

#include "cubic/plane_image.h"
#include "orvex.h"

namespace orvex {

// Writes every pixel of a BGR24, ARGB32, RGB48, BGRA32 or RGB24 destination
// (alpha 255): R from PlaneR, B from PlaneB, G the truncated mean of PlaneGr
// and PlaneGb, each limited to 2^bitDepth - 1. Other formats, patterns
// outside 0..3 and empty images write nothing. Returns true.
bool RecombinePlanes(const ImageDesc& dst, const PlaneImage planes[4], uint32_t format,
                     uint32_t width, uint32_t height, uint32_t pattern);

// One output row y from the four plane rows of that row (formats 8 to 12,
// patterns 0 to 3; the caller checks). RecombinePlanes is this row by row.
void RecombinePlaneRow(const ImageDesc& dst, const uint16_t* const planeRows[4], uint32_t format,
                       uint32_t width, uint32_t y, uint32_t pattern);
// RGB48's row 0 is a copy of its row 1.
void CopyRecombinedRowOneToZero(const ImageDesc& dst, uint32_t width);

}  // namespace orvex
