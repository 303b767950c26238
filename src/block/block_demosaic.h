// Block demosaic: each 2x2 cell's red, floored mean green and blue go to all
// four of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "simd/simd.h"

namespace orvex {

// The block demosaic of a Mosaic8 or Mosaic16 view (the sample width it
// reads) into a colour layout view of its size, patterns 0..3; other layouts
// and patterns write nothing. No kernel wider than level runs.
void BlockDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level);

// A cell kernel. Channel pointers address row 0's first top-colour, green
// and bottom-colour channel; pixel (i, j) lies i * dstStride bytes and
// j * pixelStep samples after each. Mosaic row i starts i * srcStride bytes
// after src; 16-bit kernels take byte addresses of 16-bit samples. level
// picks the row kernels inside.
using BlockCellsFn = void (*)(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                              uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                              uint8_t pixelStep, SimdLevel level);

// The cell kernels one instruction set compiles, by [16-bit samples][green
// corner][pixel step 1, 3, 4, other].
struct BlockCellsSet {
    BlockCellsFn cells[2][2][4];
};

extern const BlockCellsSet kBlockCellsPortable, kBlockCellsAvx2;

}  // namespace orvex
