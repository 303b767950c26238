// The portable build of the colour stage's loops, and the stage settled.
#include "pack/colour_stage.h"

#include <cmath>

#include "pack/colour_rows.h"
#include "simd/kernel_chain.h"

namespace orvex {

double SrgbCurve(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

ORVEX_COLOUR_SET(kColourPortable, )

ColourStage::ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                         uint32_t outputMax, SimdLevel level)
    : values_{} {
    for (size_t i = 0; i < 9; ++i) values_.matrix[i] = matrix[i];
    values_.inScale = float(1.0 / double((1u << sourceBits) - 1));
    values_.transfer = transfer;
    values_.outputMax = float(outputMax);
    if (transfer == Transfer::Srgb && outputMax <= 255) {
        table_.resize(kSrgbSteps + 1);
        for (size_t i = 0; i <= kSrgbSteps; ++i)
            table_[i] = uint32_t(std::floor(SrgbCurve(double(i) / kSrgbSteps) * outputMax + 0.5));
        values_.table = table_.data();
    }
    static const ColourChunkFn* const kSets[kSimdLevelCount] = {&kColourPortable, nullptr, nullptr,
                                                                &kColourAvx2, &kColourAvx512};
    chunk_ = WidestOf(kSets, level, [](const ColourChunkFn& f) { return f; });
}

}  // namespace orvex
