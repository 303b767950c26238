// Vertical 2x zoom of a Bayer mosaic: source rows 2k, 2k+1 become rows 4k,
// 4k+3; rows 4k+1, 4k+2 are interpolated site by site from the copied rows.
// The result is a mosaic of the same pattern. 16-bit routines take byte
// addresses of 16-bit samples; positions and counts are in samples.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

void BayerZoomVertical(const ImageDesc& src, const ImageDesc& dst);

// Spread pass: source row y to destination row 2y (even y) or 2y + 1 (odd y).
void ZoomSpreadRows8(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height);
void ZoomSpreadRows16(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height);

// Interpolation pass on the destination alone.
void ZoomInterpolate8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);
void ZoomInterpolate16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);

// The same pass with each interpolated row done in one fused pass; the zoom
// uses these, the four run-kernel calls above are the plain form.
void ZoomInterpolateRows8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);
void ZoomInterpolateRows16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);

// Spread and fused interpolation in one pass down the destination (height is
// the destination's): the rows each interpolated row reads are copied just
// before it, while they are still in cache.
void ZoomRows8(const uint8_t* srcData, uint8_t* dstData, uint16_t width, uint16_t height,
               uint32_t pattern);
void ZoomRows16(const uint8_t* srcData, uint8_t* dstData, uint16_t width, uint16_t height,
                uint32_t pattern);

// Run kernels: start addresses the first middle site of the first row; each
// of rowCount rows lies 4 rows below the previous one. runCode: 0 rows 4k+2,
// even columns; 2 rows 4k+2, odd columns; 1 rows 4k+1, even columns; 3 rows
// 4k+1, odd columns.
using ZoomRunKernel = void (*)(uint8_t* start, uint16_t width, uint16_t pairCount,
                               uint16_t rowCount, uint8_t runCode);
void ZoomColourSites8(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                      uint8_t runCode);
void ZoomGreenSites8(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                     uint8_t runCode);
void ZoomColourSites16(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                       uint8_t runCode);
void ZoomGreenSites16(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                      uint8_t runCode);

// Border pass: row 1 and the bottom border row (h - 2 when h mod 4 = 0, else h - 1).
void ZoomBorderColourCorner8(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);
void ZoomBorderGreenCorner8(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);
void ZoomBorderColourCorner16(uint8_t* dstData, uint16_t width, uint16_t height,
                              uint16_t pairCount);
void ZoomBorderGreenCorner16(uint8_t* dstData, uint16_t width, uint16_t height, uint16_t pairCount);

}  // namespace orvex
