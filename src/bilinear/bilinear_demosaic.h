// Bilinear demosaic: every interior pixel keeps its own sample and takes the
// rounded mean of its nearest neighbours of each missing colour.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

// Router for every colour layout; returns 0 (the value carries no status).
int32_t BilinearDemosaic(const ImageDesc& src, const ImageDesc& dst);

}  // namespace orvex
