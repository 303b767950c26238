#include "methods/block/block_rows.h"

namespace orvex {

BlockRowKernels ChooseBlockRows(SimdFeatures level, bool colourCorner, bool topFirst) {
    static const KernelImpl<BlockRowSet> kSets[] = {{Isa::Avx512, &kBlockRowsAvx512},
                                                    {Isa::Avx2, &kBlockRowsAvx2},
                                                    {Isa::Ssse3, &kBlockRowsSsse3},
                                                    {Isa::Neon, &kBlockRowsNeon}};
    return {
        ChainOf(kSets, level,
                [&](const BlockRowSet& s) { return s.triple[colourCorner][topFirst]; }),
        ChainOf(kSets, level, [&](const BlockRowSet& s) { return s.quad[colourCorner][topFirst]; }),
        ChainOf(kSets, level,
                [&](const BlockRowSet& s) { return s.triple16[colourCorner][topFirst]; })};
}

}  // namespace orvex
