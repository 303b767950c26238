// Cubic demosaic: the mosaic's four half-size colour planes are enlarged by
// separable cubic convolution (a = -1) and recombined. One conversion runs at
// a time per process; everything allocated is freed before returning.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

inline constexpr int32_t kCubicFailed = 1;

// Return 0 after a complete conversion, kCubicFailed when nothing was
// written: unsupported source or destination format, pattern or size, or an
// allocation failure.
int32_t DemosaicBicubicFloat(const ImageDesc& src, const ImageDesc& dst);
int32_t DemosaicBicubicFixed(const ImageDesc& src, const ImageDesc& dst);

}  // namespace orvex
