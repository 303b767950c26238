// Vector kernels for the symmetric phase (0.5) of the cubic passes: the sum
// t = (a + d) x w0 + (b + c) x w1, rounded, limited to 0 .. 65535.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// How t becomes a sample: 1024-scaled weights (t >> 10), or the eighths of
// the single-precision half phase, w0 = -1 and w1 = 5 (t / 8 rounded to
// the nearest, ties to even).
enum class SymmetricRounding { Fixed1024, EighthsToEven };

// Vertical pass: out[x] from rows r0 .. r3 (a .. d) for x = first, first + 1,
// ... in whole vectors below width; returns the first column left to the
// caller.
size_t VerticalSymmetricVectorRow(uint16_t* out, const uint16_t* r0, const uint16_t* r1,
                                  const uint16_t* r2, const uint16_t* r3, size_t first,
                                  size_t width, int32_t w0, int32_t w1,
                                  SymmetricRounding rounding = SymmetricRounding::Fixed1024);

// Horizontal enlargement by 2: out[2k] = in[k] and out[2k + 1] from
// in[k - 1] .. in[k + 2], for k = first, first + 1, ... in whole vectors
// below end; returns the first k left to the caller.
size_t EnlargeSymmetricVectorRow(uint16_t* out, const uint16_t* in, size_t first, size_t end,
                                 int32_t w0, int32_t w1,
                                 SymmetricRounding rounding = SymmetricRounding::Fixed1024);

}  // namespace orvex
