// Cubic demosaic: the mosaic's four half-size colour planes are enlarged by
// separable cubic convolution and recombined.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

// Return 0 after a complete conversion, 1 when nothing was converted.
int32_t DemosaicBicubicFloat(const ImageDesc& src, const ImageDesc& dst);
int32_t DemosaicBicubicFixed(const ImageDesc& src, const ImageDesc& dst);

}  // namespace orvex
