// Vector kernel for a block row pair written as packed three-byte pixels
// (BGR24, RGB24).
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

}  // namespace orvex
