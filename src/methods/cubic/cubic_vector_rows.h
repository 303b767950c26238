// Vector kernels of the cubic methods, by instruction set: plane rows read
// out of mosaic rows, the symmetric phase (0.5) of both passes, and plane
// rows recombined into packed three-byte pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/kernel_table.h"

namespace orvex {

// out[l] = sample 2l of row for l = first, first + 1, ... in whole vectors
// below width, reading no further than the row's first `available`
// samples; returns the first l left to the caller. 16-bit rows are byte
// addresses.
using ExtractRowFn = size_t (*)(uint16_t* out, const uint8_t* row, size_t first, size_t width,
                                size_t available);

// The symmetric phase t = (a + d) x w0 + (b + c) x w1, rounded, limited to
// 0 .. 65535. Vertical pass: out[x] from rows r0 .. r3 (a .. d) for
// x = first, ... in whole vectors below width. Returns the first column left
// (first itself where the weights do not suit the kernel).
using VerticalSymmetricFn = size_t (*)(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                       const uint16_t* r2, const uint16_t* r3, size_t first,
                                       size_t width, int32_t w0, int32_t w1);
// Horizontal enlargement by 2: out[2k] = in[k] and out[2k + 1] from
// in[k - 1] .. in[k + 2], for k = first, ... in whole vectors below end.
using EnlargeSymmetricFn = size_t (*)(uint16_t* out, const uint16_t* in, size_t first, size_t end,
                                      int32_t w0, int32_t w1);

// How t becomes a sample: 1024-scaled weights (t >> 10), or the eighths of
// the single-precision half phase, w0 = -1 and w1 = 5 (t / 8 rounded to
// the nearest, ties to even).
enum SymmetricRounding { kFixed1024 = 0, kEighthsToEven = 1 };

// Pixels first, first + 1, ... (pixel x from column x - 1 of each plane
// row) in whole vectors below width: R, B and the truncated mean of Gr and
// Gb, each limited to maxValue and stored as its low byte. out: the output
// row's pixel 0; first is at least 1.
using RecombineRowFn = size_t (*)(uint8_t* out, const uint16_t* r, const uint16_t* gr,
                                  const uint16_t* gb, const uint16_t* b, size_t first, size_t width,
                                  uint16_t maxValue);

// One instruction set's kernels; null where it has none.
struct CubicVectorSet {
    ExtractRowFn extract[2];          // [16-bit samples]
    VerticalSymmetricFn vertical[2];  // [rounding]
    EnlargeSymmetricFn enlarge[2];    // [rounding]
    RecombineRowFn recombine[2];      // [R in the pixel's first byte]
};

extern const CubicVectorSet kCubicVectorsSsse3, kCubicVectorsAvx2;

}  // namespace orvex
