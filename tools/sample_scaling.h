// The sample range an output container holds: its width (8 or 16 bits) and
// the scaling of the data's values into it.
#pragma once

#include <cstdint>

#include "image_io.h"

namespace orvex_tool {

struct SampleOptions {
    uint32_t bits = 0;  // 8 or 16; 0: by the container and the data
    bool scale = true;  // false: keep the data's values (--no-scale)
};

// The raster as `container` will hold it. Data of d significant bits goes
// into b-bit samples, b from `options.bits` or else the data's own d for
// PPM/PGM (their maxval states any range) and 8 or 16 for PNG and TIFF.
// When b differs from d, each value v becomes v * (2^b - 1) / (2^d - 1)
// rounded to the nearest integer (never a tie), so the full range of the
// data fills the full range of the container; 12-bit data scaled to 16 bits
// keeps its value in the top 12 bits (PNG sBIT records d). Without scaling,
// values are kept and the container states their range where it can.
// Raw outputs are returned as they are.
Raster ForContainer(Raster data, Container container, const SampleOptions& options);

}  // namespace orvex_tool
