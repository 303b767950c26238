// Vertical 2x zoom of a Bayer mosaic: source rows 2k, 2k+1 become rows 4k,
// 4k+3; rows 4k+1, 4k+2 are interpolated site by site from the copied rows.
// The result is a mosaic of the same pattern. 16-bit routines take byte
// addresses of 16-bit samples; positions and counts are in samples.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

void BayerZoomVertical(const ImageDesc& src, const ImageDesc& dst);

// Interpolation pass on the destination alone, each interpolated row in one
// fused pass (the plain four run-kernel form is kept with the tests).
void ZoomInterpolateRows8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);
void ZoomInterpolateRows16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);

// Spread and fused interpolation in one pass down the destination (height is
// the destination's): the rows each interpolated row reads are copied just
// before it, while they are still in cache.
void ZoomRows8(const uint8_t* srcData, uint8_t* dstData, uint16_t width, uint16_t height,
               uint32_t pattern);
void ZoomRows16(const uint8_t* srcData, uint8_t* dstData, uint16_t width, uint16_t height,
                uint32_t pattern);

// Border pass: row 1 and the bottom border row (h - 2 when h mod 4 = 0, else h - 1).
void ZoomBorderColourCorner8(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);
void ZoomBorderGreenCorner8(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);
void ZoomBorderColourCorner16(uint8_t* dstData, uint16_t width, uint16_t height,
                              uint16_t pairCount);
void ZoomBorderGreenCorner16(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);

}  // namespace orvex
