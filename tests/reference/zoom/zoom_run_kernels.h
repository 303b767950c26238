// The plain form of the zoom: a spread pass, then the interpolation pass by
// four run-kernel calls and the border rows.
#pragma once

#include <cstdint>

namespace orvex {

// Spread pass: source row y to destination row 2y (even y) or 2y + 1 (odd y).
void ZoomSpreadRows8(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height);
void ZoomSpreadRows16(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height);

// Interpolation pass on the destination alone.
void ZoomInterpolate8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);
void ZoomInterpolate16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern);

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

}  // namespace orvex
