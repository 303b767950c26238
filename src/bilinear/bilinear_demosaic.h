// Bilinear demosaic: every interior pixel keeps its own sample and takes the
// rounded mean of its nearest neighbours of each missing colour. The outermost
// rows and columns and every alpha byte are left as the caller's buffer held them.
#pragma once

#include <cstdint>

#include "orvex.h"

namespace orvex {

// Router for every colour layout; returns 0 (the value carries no status).
int32_t BilinearDemosaic(const ImageDesc& src, const ImageDesc& dst);

// Drivers: each interior row in one fused pass. Channel positions are those
// of output pixel (0, 0); step is the distance between consecutive pixels of
// one channel, in samples (1, 3 or 4). The 16-bit driver takes byte
// addresses of 16-bit samples.
void BilinearRows8(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                   uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step);
void BilinearRows16(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                    uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step);

}  // namespace orvex
