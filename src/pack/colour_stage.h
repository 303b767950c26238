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

// What the loops read.
struct ColourValues {
    float matrix[9];  // row-major
    float inScale;    // 1 / the source's largest value
    Transfer transfer;
    float outputMax;
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
    ColourValues values_;
    ColourChunkFn chunk_;
};

}  // namespace orvex
