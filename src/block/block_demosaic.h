// Block demosaic: each 2x2 cell's red, floored mean green and blue go to all
// four of its pixels.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

// Router for every colour layout; returns 0 (the value carries no status).
int32_t BlockDemosaic(const ImageDesc& src, const ImageDesc& dst);

// Cell kernels. Channel pointers address the first pixel's top-colour, green
// and bottom-colour channel; pixel (i, j) lies (i * width + j) * pixelStep
// samples after each. The 16-bit kernels take byte addresses of 16-bit samples.
void BlockCellsColourCorner8(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                             uint8_t* green, uint8_t* bottom, uint8_t pixelStep);
void BlockCellsGreenCorner8(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                            uint8_t* green, uint8_t* bottom, uint8_t pixelStep);
void BlockCellsColourCorner16(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                              uint8_t* green, uint8_t* bottom, uint8_t pixelStep);
void BlockCellsGreenCorner16(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                             uint8_t* green, uint8_t* bottom, uint8_t pixelStep);

// PlanarRGB48 route: picks kernel and plane order by the pattern.
void BlockPlanar48(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                   uint8_t* planeR, uint8_t* planeG, uint8_t* planeB, uint8_t pixelStep);

}  // namespace orvex
