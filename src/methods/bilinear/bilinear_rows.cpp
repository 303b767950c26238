// The portable build of the fused bilinear rows, and the choice of kernels.
#include "methods/bilinear/bilinear_fused_rows.h"

namespace orvex {

ORVEX_BILINEAR_FUSED_SET(kBilinearFusedPortable, )

KernelChain<BilinearRowFn> ChooseBilinearRow(SimdLevel level, BilinearPixels pixels,
                                             BilinearRowKinds kinds, bool redFirst) {
    static const BilinearRowSet* const kSets[kSimdLevelCount] = {
        nullptr,           nullptr, &kBilinearRowsSsse3, &kBilinearRowsAvx2, &kBilinearRowsAvx512,
        &kBilinearRowsNeon};
    return ChainOf(kSets, level, [&](const BilinearRowSet& s) {
        const auto& table = pixels == BilinearPixels::Quad8     ? s.quad8
                            : pixels == BilinearPixels::Triple8 ? s.triple8
                                                                : s.triple16;
        return table[kinds.redRow][kinds.evenColour][redFirst];
    });
}

BilinearValuesFn ChooseBilinearValues(SimdLevel level, size_t sampleBytes) {
    return level >= SimdLevel::Avx512 ? kBilinearValuesAvx512[sampleBytes == 2] : nullptr;
}

}  // namespace orvex
