// The portable build of the fused bilinear rows, and the choice of kernels.
#include "methods/bilinear/bilinear_fused_rows.h"

namespace orvex {

ORVEX_BILINEAR_FUSED_SET(kBilinearFusedPortable, )

KernelChain<BilinearRowFn> ChooseBilinearRow(SimdFeatures level, BilinearPixels pixels,
                                             BilinearRowKinds kinds, bool redFirst) {
    static const KernelImpl<BilinearRowSet> kSets[] = {{Isa::Avx512, &kBilinearRowsAvx512},
                                                       {Isa::Avx2, &kBilinearRowsAvx2},
                                                       {Isa::Ssse3, &kBilinearRowsSsse3},
                                                       {Isa::Neon, &kBilinearRowsNeon}};
    return ChainOf(kSets, level, [&](const BilinearRowSet& s) {
        const auto& table = pixels == BilinearPixels::Quad8         ? s.quad8
                            : pixels == BilinearPixels::Quad8Opaque ? s.quad8Opaque
                            : pixels == BilinearPixels::Triple8     ? s.triple8
                                                                    : s.triple16;
        return table[kinds.redRow][kinds.evenColour][redFirst];
    });
}

BilinearValuesFn ChooseBilinearValues(SimdFeatures level, size_t sampleBytes) {
    using Values = BilinearValuesFn[2];
    static const KernelImpl<Values> kSets[] = {{Isa::Avx512, &kBilinearValuesAvx512}};
    return WidestOf(kSets, level, [&](const Values& s) { return s[sampleBytes == 2]; });
}

}  // namespace orvex
