// The row ring and the horizontal cubic pass, in single precision and in
// 1024-scaled integers.
#pragma once

#include <cstdint>

#include "cubic/plane_image.h"

namespace orvex {

bool CreateRowRing(int32_t rows, int32_t outWidth, int32_t leftMargin, int32_t rightMargin);

// Enlarges plane row srcRow (clamped into the plane) to outWidth samples in
// ring row ringRow, in place, right to left.
void HorizontalPass(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                    int32_t leftMargin, int32_t rightMargin);
void HorizontalPassFixed(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                         int32_t leftMargin, int32_t rightMargin);

// Moves ring rows 1..3 up to rows 0..2.
void ShiftRing();
void ShiftRingFixed();

// A single-precision sum as a 16-bit sample: 0 below the smallest normal
// float, rounded to nearest even, saturated at 65535.
uint16_t ToSample16(double sum);
// A 1024-scaled integer sum as a 16-bit sample: floor(sum / 1024) in 0..65535.
uint16_t FixedToSample16(int32_t sum);

// Nearest 32-bit integer, ties to even, for |x| < 2^31.
int32_t RoundToInt(double x);

}  // namespace orvex
