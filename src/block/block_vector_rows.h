// Vector kernels for a block row pair written as packed pixels of three
// bytes (BGR24, RGB24) or four (BGRA32, ARGB32).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// Writes the pixels of cells from column first (even) on, in whole vectors
// below column end (the even width), and returns the first column left to
// the caller. rowT, rowB: the cell rows; out, below: pixel 0 of the pair's
// two output rows, which take the same pixels; topFirst: the top colour in
// the pixel's first byte (else the bottom one).
size_t BlockVectorPairRow8(const uint8_t* rowT, const uint8_t* rowB, size_t first, size_t end,
                           uint8_t* out, uint8_t* below, bool colourCorner, bool topFirst);

// The same for four-byte pixels: out and below are the first channel byte
// of pixel 0, the three channel bytes follow it, and the fourth byte of
// every pixel is neither read nor written.
size_t BlockVectorQuadPairRow8(const uint8_t* rowT, const uint8_t* rowB, size_t first, size_t end,
                               uint8_t* out, uint8_t* below, bool colourCorner, bool topFirst);

}  // namespace orvex
