// The colour of each output pixel on its way to the layout: camera RGB
// times a 3 x 3 matrix, clamped, through a transfer curve, in the output's
// range. Settled once per call, shared by every band.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/simd.h"

namespace orvex {

enum class Transfer : uint32_t { Linear = 0, Srgb = 1 };

// Pixels the stage takes at once (its values live on the stack).
inline constexpr size_t kColourChunk = 256;

// The sRGB curve into bytes, piecewise: y in 2^-15 .. 1 falls in one of
// 32 half-octaves, picked by the low exponent bits and the top mantissa bit
// of its single-precision form; on each, a quadratic in the mantissa m
// (1 <= m < 2) gives 255 * curve(y) + 0.5 within 0.1 of its exact value.
inline constexpr size_t kCurveSegments = 32;
inline constexpr float kCurveFloor = 1.0f / 32768;  // 2^-15: below, bytes are 0

// What the loops read.
struct ColourValues {
    float matrix[9];  // row-major, each times 1 / the source's largest value
    Transfer transfer;
    float outputMax;
    bool curveBytes;                 // sRGB into bytes through the segments
    float curve[3][kCurveSegments];  // per segment: c0, c1, c2 of c0 + m (c1 + m c2)
};

using ColourChunkFn = void (*)(const ColourValues& values, const uint16_t* r, const uint16_t* g,
                               const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,
                               uint16_t* outB);
extern const ColourChunkFn kColourPortable, kColourAvx2, kColourAvx512;

// The same pixels' values through the curve, unrounded, in 0 .. 1.
using ColourFloatChunkFn = void (*)(const ColourValues& values, const uint16_t* r,
                                    const uint16_t* g, const uint16_t* b, size_t n, float* outR,
                                    float* outG, float* outB);
extern const ColourFloatChunkFn kColourFloatPortable, kColourFloatAvx2;

// The same pixels straight into three-byte pixels (R first, or B first),
// in whole vectors; returns how many it wrote (0 where the stage's curve
// has no such kernel).
using ColourTripleFn = size_t (*)(const ColourValues& values, const uint16_t* r, const uint16_t* g,
                                  const uint16_t* b, size_t n, uint8_t* out, bool redFirst);
extern const ColourTripleFn kColourTripleAvx512;

class ColourStage {
  public:
    // Samples of `sourceBits` significant bits into an output of
    // `outputMax` (255 for bytes; the source's largest value for 16-bit
    // samples). `combined`: the samples are combined further (grey), so
    // the curve into bytes takes the exact form, whose error does not add
    // to the combination's rounding.
    ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                uint32_t outputMax, SimdFeatures level, bool combined = false);

    // n (at most kColourChunk) pixels' R, G, B into out arrays, each in
    // 0 .. outputMax.
    void Apply(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n, uint16_t* outR,
               uint16_t* outG, uint16_t* outB) const {
        chunk_(values_, r, g, b, n, outR, outG, outB);
    }
    // The same, each value in 0 .. 1 as the curve gives it (float outputs).
    void ApplyFloat(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n, float* outR,
                    float* outG, float* outB) const {
        floats_(values_, r, g, b, n, outR, outG, outB);
    }
    // Pixels 0 .. n - 1 into out as three-byte pixels, as many as the
    // level's kernel writes; the caller does the rest through Apply.
    size_t ApplyTriple(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n,
                       uint8_t* out, bool redFirst) const {
        return triple_ != nullptr ? triple_(values_, r, g, b, n, out, redFirst) : 0;
    }

  private:
    ColourValues values_;
    ColourChunkFn chunk_;
    ColourFloatChunkFn floats_;
    ColourTripleFn triple_;
};

}  // namespace orvex
