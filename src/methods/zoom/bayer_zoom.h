// Vertical 2x zoom of a Bayer mosaic: source rows 2k, 2k+1 become rows 4k,
// 4k+3; rows 4k+1, 4k+2 are interpolated site by site from the copied rows.
// The result is a mosaic of the same pattern. 16-bit routines take byte
// addresses of 16-bit samples; positions and counts are in samples.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "simd/simd.h"

namespace orvex {

// The zoom of a Mosaic8 or Mosaic16 view into a view of the same format,
// width and pattern with twice its rows (the caller checks). No kernel wider
// than level runs.
void ZoomVertical(const SourceView& src, const ImageView& dst, SimdFeatures level);

// The interpolation pass alone, on a destination whose copied rows (4k,
// 4k + 3) are in place: each interpolated row in one fused pass (the plain
// four run-kernel form is kept with the tests).
void ZoomInterpolateRows(const ImageView& dst, SimdFeatures level);

// Border pass: row 1 and the bottom border row (h - 2 when h mod 4 = 0, else
// h - 1), rows `stride` bytes apart. The zoom's own edge rule on purpose:
// these rows, with copied rows of their colour on one side only, take
// their samples from the nearest copied rows, not by reflection.
using ZoomBorderFn = void (*)(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                              size_t pairCount);
void ZoomBorderColourCorner8(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                             size_t pairCount);
void ZoomBorderGreenCorner8(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                            size_t pairCount);
void ZoomBorderColourCorner16(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                              size_t pairCount);
void ZoomBorderGreenCorner16(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                             size_t pairCount);

}  // namespace orvex
