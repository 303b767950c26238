// Bilinear demosaic: every interior pixel keeps its own sample and takes the
// rounded mean of its nearest neighbours of each missing colour. The outermost
// rows and columns and every alpha byte are left as the caller's buffer held them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "simd/simd.h"

namespace orvex {

// The bilinear demosaic of a Mosaic8 or Mosaic16 view (the sample width it
// reads) into a colour layout view of its size; other layouts, patterns
// above 3 and images narrower or shorter than 3 write nothing.
void BilinearDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level);

// Drivers: each interior row in one fused pass. Channel positions are those
// of output pixel (0, 0); step is the distance between consecutive pixels of
// one channel, in samples (1, 3 or 4); rows lie srcStride and dstStride
// bytes apart. The 16-bit driver takes byte addresses of 16-bit samples.
void BilinearRows8(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                   size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                   uint8_t step, SimdLevel level);
void BilinearRows16(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                    size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                    uint8_t step, SimdLevel level);

// The drivers one build compiles.
using BilinearRowsFn = void (*)(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride,
                                size_t width, size_t height, uint8_t* r, uint8_t* g, uint8_t* b,
                                ptrdiff_t dstStride, uint8_t step, SimdLevel level);
struct BilinearFusedSet {
    BilinearRowsFn rows8, rows16;
};
extern const BilinearFusedSet kBilinearFusedPortable, kBilinearFusedAvx2;

}  // namespace orvex
