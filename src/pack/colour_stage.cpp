// The portable build of the colour stage's loops, and the stage settled.
#include "pack/colour_stage.h"

#include <cmath>

#include "pack/colour_rows.h"
#include "simd/kernel_chain.h"

namespace orvex {

ORVEX_COLOUR_SET(kColourPortable, )

ColourStage::ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                         uint32_t outputMax, SimdLevel level)
    : values_{} {
    for (size_t i = 0; i < 9; ++i) values_.matrix[i] = matrix[i];
    values_.inScale = float(1.0 / double((1u << sourceBits) - 1));
    values_.transfer = transfer;
    values_.outputMax = float(outputMax);
    static const ColourChunkFn* const kSets[kSimdLevelCount] = {&kColourPortable, nullptr, nullptr,
                                                                &kColourAvx2, &kColourAvx512};
    chunk_ = WidestOf(kSets, level, [](const ColourChunkFn& f) { return f; });
}

}  // namespace orvex
