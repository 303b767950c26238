// The colour of each output pixel on its way to the layout: camera RGB
// times a 3 x 3 matrix, clamped, through a transfer curve, in the output's
// range. Settled once per call (the sRGB table is built here), shared by
// every band.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simd/simd.h"

namespace orvex {

enum class Transfer : uint32_t { Linear = 0, Srgb = 1 };

// Pixels the stage takes at once (its values live on the stack).
inline constexpr size_t kColourChunk = 256;

// sRGB into bytes goes through a table of the curve at linear values in
// steps of 1 / kSrgbSteps: the curve's steepest slope (12.92 x 255 a unit)
// moves the output by 0.1 over half a step, so with the rounding every
// value is within 0.6 of the curve. Wider outputs compute the curve.
inline constexpr size_t kSrgbSteps = 16383;

// What the loops read.
struct ColourValues {
    float matrix[9];  // row-major
    float inScale;    // 1 / the source's largest value
    Transfer transfer;
    float outputMax;
    const uint32_t* table;  // the sRGB table, or null
};

using ColourChunkFn = void (*)(const ColourValues& values, const uint16_t* r, const uint16_t* g,
                               const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,
                               uint16_t* outB);
extern const ColourChunkFn kColourPortable, kColourAvx2, kColourAvx512;

class ColourStage {
  public:
    // Samples of `sourceBits` significant bits into an output of
    // `outputMax` (255 for bytes; the source's largest value for 16-bit
    // samples).
    ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                uint32_t outputMax, SimdLevel level);

    // n (at most kColourChunk) pixels' R, G, B into out arrays, each in
    // 0 .. outputMax.
    void Apply(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n, uint16_t* outR,
               uint16_t* outG, uint16_t* outB) const {
        chunk_(values_, r, g, b, n, outR, outG, outB);
    }

  private:
    std::vector<uint32_t> table_;
    ColourValues values_;
    ColourChunkFn chunk_;
};

// The IEC 61966-2-1 curve of a linear value in 0 .. 1.
double SrgbCurve(double linear);

}  // namespace orvex
