// Vector kernel for recombining plane rows into packed three-byte pixels
// (BGR24, RGB24).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// Writes pixels first, first + 1, ... (pixel x from column x - 1 of each
// plane row) in whole vectors below width, and returns the first pixel left
// to the caller: R, B and the truncated mean of Gr and Gb, each limited to
// maxValue and stored as its low byte. out: the output row's pixel 0;
// redFirst: R in the first byte (else B). first is at least 1.
size_t RecombineVectorRow8(uint8_t* out, const uint16_t* r, const uint16_t* gr, const uint16_t* gb,
                           const uint16_t* b, size_t first, size_t width, uint32_t maxValue,
                           bool redFirst);

}  // namespace orvex
