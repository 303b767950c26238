#include "methods/block/block_rows.h"

namespace orvex {

BlockRowKernels ChooseBlockRows(SimdLevel level, bool colourCorner, bool topFirst) {
    static const BlockRowSet* const kSets[kSimdLevelCount] = {
        nullptr, nullptr, &kBlockRowsSsse3, &kBlockRowsAvx2, &kBlockRowsAvx512, &kBlockRowsNeon};
    return {ChainOf(kSets, level,
                    [&](const BlockRowSet& s) { return s.triple[colourCorner][topFirst]; }),
            ChainOf(kSets, level,
                    [&](const BlockRowSet& s) { return s.quad[colourCorner][topFirst]; })};
}

}  // namespace orvex
