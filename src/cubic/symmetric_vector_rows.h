// Vector kernels for the symmetric phase (0.5) of the 1024-scaled cubic
// passes: ((a + d) x w0 + (b + c) x w1) >> 10, limited to 0 .. 65535.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// Vertical pass: out[x] from rows r0 .. r3 (a .. d) for x = first, first + 1,
// ... in whole vectors below width; returns the first column left to the
// caller.
size_t VerticalSymmetricVectorRow(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                  const uint16_t* r2, const uint16_t* r3, size_t first,
                                  size_t width, int32_t w0, int32_t w1);

// Horizontal enlargement by 2: out[2k] = in[k] and out[2k + 1] from
// in[k - 1] .. in[k + 2], for k = first, first + 1, ... in whole vectors
// below end; returns the first k left to the caller.
size_t EnlargeSymmetricVectorRow(uint16_t* out, const uint16_t* in, size_t first, size_t end,
                                 int32_t w0, int32_t w1);

}  // namespace orvex
