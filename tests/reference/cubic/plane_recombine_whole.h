// Recombination of the four full-size planes into a packed colour layout.
#pragma once

#include <cstdint>

#include "cubic/plane_image.h"
#include "orvex.h"
#include "simd/simd.h"

namespace orvex {

// Writes every pixel of a BGR24, ARGB32, RGB48, BGRA32 or RGB24 destination
// (alpha 255): R from PlaneR, B from PlaneB, G the truncated mean of PlaneGr
// and PlaneGb, each limited to 2^bitDepth - 1. Other formats, patterns
// outside 0..3 and empty images write nothing. Returns true. The row kernels
// of level run.
bool RecombinePlanes(const ImageDesc& dst, const PlaneImage planes[4], uint32_t format,
                     uint32_t width, uint32_t height, uint32_t pattern,
                     SimdFeatures level = ProcessSimd());

}  // namespace orvex
