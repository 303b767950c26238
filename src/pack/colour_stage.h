// The colour of each output pixel on its way to the layout: camera RGB
// times a 3 x 3 matrix, clamped, through a transfer curve, in the output's
// range. Settled once per call (the sRGB table is built here), shared by
// every band.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

enum class Transfer : uint32_t { Linear = 0, Srgb = 1 };

class ColourStage {
  public:
    // Samples of `sourceBits` significant bits into an output of
    // `outputMax` (255 for bytes; the source's largest value for 16-bit
    // samples). The matrix is row-major.
    ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                uint32_t outputMax);

    // n pixels' R, G, B into out arrays, each in 0 .. outputMax.
    void Apply(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n, uint16_t* outR,
               uint16_t* outG, uint16_t* outB) const;

  private:
    float matrix_[9];
    float inScale_;  // 1 / the source's largest value
    Transfer transfer_;
    float outputMax_;
    // sRGB into bytes: the output of each linear value rounded to 1/65535.
    std::vector<uint8_t> srgb8_;
};

// The IEC 61966-2-1 curve of a linear value in 0 .. 1.
double SrgbCurve(double linear);

}  // namespace orvex
