// Vector kernels for the interior of a fused bilinear row written as packed
// pixels (BGR24, RGB24, RGB48, BGRA32, ARGB32).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// One row's kinds: a colour kind (red or blue sites) and the green kind of
// that row, with the colour sites at even or at odd columns.
struct BilinearRowKinds {
    bool redRow;
    bool evenColour;
};

// Writes the pixels of columns first, first + 1, ... in whole vectors while
// their neighbours stay inside the row (column width - 1 at most), and
// returns the first column left to the caller. first is even. u, c, d: the
// rows above, at and below; out: the output row's pixel 0; redFirst: R, G, B
// order in the pixel (else B, G, R). 16-bit rows are byte addresses.
size_t BilinearVectorRow8(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                          size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds);
size_t BilinearVectorRow16(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                           size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds);

// The same for four-byte pixels (BGRA32, ARGB32): out is the first channel
// byte of pixel 0, the three channel bytes follow it, and the fourth byte of
// every pixel is neither read nor written (byte-masked stores where the
// processor has them, else stores of two bytes and one).
size_t BilinearVectorQuadRow8(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                              size_t width, uint8_t* out, bool redFirst, BilinearRowKinds kinds);

}  // namespace orvex
