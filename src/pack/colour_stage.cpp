#include "pack/colour_stage.h"

#include <cmath>

namespace orvex {

double SrgbCurve(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

ColourStage::ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                         uint32_t outputMax)
    : inScale_(float(1.0 / double((1u << sourceBits) - 1))),
      transfer_(transfer),
      outputMax_(float(outputMax)) {
    for (size_t i = 0; i < 9; ++i) matrix_[i] = matrix[i];
    // Into bytes the curve's steepest slope (12.92 x 255 a unit) moves the
    // output by 0.05 over a table step: a table of 65536 values is exact
    // to the rounding. Wider outputs compute the curve.
    if (transfer == Transfer::Srgb && outputMax <= 255) {
        srgb8_.resize(65536);
        for (size_t i = 0; i < srgb8_.size(); ++i)
            srgb8_[i] = uint8_t(std::floor(SrgbCurve(double(i) / 65535) * outputMax + 0.5));
    }
}

void ColourStage::Apply(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n,
                        uint16_t* outR, uint16_t* outG, uint16_t* outB) const {
    const float* m = matrix_;
    uint16_t* const out[3] = {outR, outG, outB};
    for (size_t k = 0; k < n; ++k) {
        const float x[3] = {r[k] * inScale_, g[k] * inScale_, b[k] * inScale_};
        for (size_t c = 0; c < 3; ++c) {
            float y = m[3 * c] * x[0] + m[3 * c + 1] * x[1] + m[3 * c + 2] * x[2];
            y = y > 0 ? (y < 1 ? y : 1) : 0;
            if (transfer_ == Transfer::Linear)
                out[c][k] = uint16_t(y * outputMax_ + 0.5f);
            else if (!srgb8_.empty())
                out[c][k] = srgb8_[size_t(y * 65535 + 0.5f)];
            else
                out[c][k] = uint16_t(std::floor(SrgbCurve(y) * outputMax_ + 0.5));
        }
    }
}

}  // namespace orvex
