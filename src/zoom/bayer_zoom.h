// Vertical 2x zoom of a Bayer mosaic: source rows 2k, 2k+1 become rows 4k,
// 4k+3; rows 4k+1, 4k+2 are interpolated site by site.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

void BayerZoomVertical(const ImageDesc& src, const ImageDesc& dst);

}  // namespace orvex
