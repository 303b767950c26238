// Cubic demosaic: the mosaic's four half-size colour planes are enlarged by
// separable cubic convolution (a = -1) and recombined. Each conversion owns
// its working memory, so any number may run at once; everything allocated is
// freed before returning.
#pragma once

#include <cstdint>

#include "cubic/cubic_memory.h"
#include "orvex.h"

namespace orvex {

inline constexpr int32_t kCubicFailed = 1;

// True when the methods convert src into dst: Bayer8/Bayer16 into a packed
// colour layout, pattern 0..3, 2 <= width < 32768, 2 <= height < 65536, and
// the size rule covers the destination.
bool CubicConvertible(const ImageDesc& src, const ImageDesc& dst);

// Return 0 after a complete conversion, kCubicFailed when nothing was
// written: a conversion CubicConvertible refuses, or an allocation failure.
// The forms with `memory` allocate through it.
int32_t DemosaicBicubicFloat(const ImageDesc& src, const ImageDesc& dst);
int32_t DemosaicBicubicFixed(const ImageDesc& src, const ImageDesc& dst);
int32_t DemosaicBicubicFloat(const ImageDesc& src, const ImageDesc& dst, CubicMemory& memory);
int32_t DemosaicBicubicFixed(const ImageDesc& src, const ImageDesc& dst, CubicMemory& memory);

}  // namespace orvex
