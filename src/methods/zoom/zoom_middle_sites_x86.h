// Ground shared by the x86 middle-site kernel files.
//
// Columns are taken in pairs, one pair per lane twice the sample width: the
// low half of a lane is the pair's colour site, the high half the green site
// to its right. Each half reads only the terms of its own site kind
// (colour: 2 x heavy + light, green: diagonal left + heavy + diagonal
// right), so no lane computes a value it throws away and the loop has no
// branch. Pairs start at the row's colour columns, even or odd, so one
// kernel serves both phases and each vector reads four row vectors: heavy,
// which holds a green site's own column too, light one column early, and
// the diagonal row at the pair's column and two on. The division by 3 is a
// multiply by its reciprocal, exact in the range of the sums: 8-bit sums stay
// below 32768, where the high half of t x 0x5556 is t / 3; 16-bit sums are
// exact in single precision, and (t + 0.5) / 3 lies at least 1/6 from an
// integer, far beyond the rounding error of one multiply.
#pragma once

#include "methods/zoom/zoom_middle_sites.h"
#include "simd/x86/x86.h"

namespace orvex::zoom_x86 {
namespace {

#define ORVEX_MIDDLE_SITES_ARGS                                                              \
    uint8_t *out, const uint8_t *heavy, const uint8_t *light, const uint8_t *diag, size_t c, \
        size_t end

// Runs a kernel's step over whole vectors from column c, then, if any ran,
// one more vector ending at the run's end: it rewrites some columns with
// the values they already hold (the kernels read copied rows only),
// instead of leaving them to the site-by-site loop. Steps start at columns
// of c's parity and read one column past their vector.
template <size_t kColumns, class Step>
ORVEX_VECTOR_INLINE size_t WholeVectors(size_t c, size_t end, Step step) {
    if (c + kColumns + 1 > end) return c;
    for (; c + kColumns + 1 <= end; c += kColumns) step(c);
    const size_t bound = end - kColumns - 1, last = bound - ((bound ^ c) & 1);
    if (c < last + kColumns) {
        step(last);
        c = last + kColumns;
    }
    return c;
}

}  // namespace
}  // namespace orvex::zoom_x86
