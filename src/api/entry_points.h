// The entry points below the exports, with the processor features their
// kernels may use given: the exports pass ProcessSimd(), the tests narrower
// sets in the same process. Each checks every argument and returns ORVEX_OK
// or a negative orvex_status; none throws past Guarded in the exports.
#pragma once

#include <cstdint>

#include "orvex2.h"
#include "simd/simd.h"

namespace orvex::api {

// whole: the destination must cover the frame (orvex_demosaic); otherwise
// it is the region from (x, y) on (orvex_demosaic_region).
int Demosaic(const orvex_image* src, uint32_t x, uint32_t y, const orvex_image* dst,
             uint32_t method, const orvex_options* options, bool whole, SimdFeatures features);
int Unpack(const orvex_image* src, const orvex_image* dst, const orvex_options* options,
           SimdFeatures features);
int Zoom(const orvex_image* src, const orvex_image* dst, const orvex_options* options,
         SimdFeatures features);

}  // namespace orvex::api
