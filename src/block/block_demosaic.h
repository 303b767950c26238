// Block demosaic: each 2x2 cell's red, floored mean green and blue go to all
// four of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"

namespace orvex {

// The block demosaic of a Mosaic8 or Mosaic16 view (the sample width it
// reads) into a colour layout view of its size, patterns 0..3; other layouts
// and patterns write nothing.
void BlockDemosaic(const SourceView& src, const ImageView& dst);

// Cell kernels. Channel pointers address row 0's first top-colour, green and
// bottom-colour channel; pixel (i, j) lies i * dstStride bytes and
// j * pixelStep samples after each. Mosaic row i starts i * srcStride bytes
// after src. The 16-bit kernels take byte addresses of 16-bit samples.
void BlockCellsColourCorner8(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                             uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                             uint8_t pixelStep);
void BlockCellsGreenCorner8(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                            uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                            uint8_t pixelStep);
void BlockCellsColourCorner16(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                              uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                              uint8_t pixelStep);
void BlockCellsGreenCorner16(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                             uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                             uint8_t pixelStep);

}  // namespace orvex
