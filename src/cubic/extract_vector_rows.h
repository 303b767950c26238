// Vector kernels that read one plane row out of a mosaic row: every second
// sample, widened to 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// out[l] = sample 2l of row for l = 0, 1, ... in whole vectors below width,
// reading no further than the row's first `available` samples; returns the
// first l left to the caller. 16-bit rows are byte addresses.
size_t ExtractVectorRow8(uint16_t* out, const uint8_t* row, size_t width, size_t available);
size_t ExtractVectorRow16(uint16_t* out, const uint8_t* row, size_t width, size_t available);

}  // namespace orvex
