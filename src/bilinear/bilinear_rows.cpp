// The portable build of the fused bilinear rows, and the choice of kernels.
#include "bilinear/bilinear_fused_rows.h"

namespace orvex {

ORVEX_BILINEAR_FUSED_SET(kBilinearFusedPortable, )

namespace {

const BilinearFusedSet* const kFusedSets[kSimdLevelCount] = {&kBilinearFusedPortable, nullptr,
                                                             nullptr, &kBilinearFusedAvx2, nullptr};

}  // namespace

void BilinearRows8(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                   size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                   uint8_t step, SimdLevel level) {
    WidestOf(kFusedSets, level, [](const BilinearFusedSet& s) { return s.rows8; })(
        pattern, src, srcStride, width, height, r, g, b, dstStride, step, level);
}

void BilinearRows16(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                    size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                    uint8_t step, SimdLevel level) {
    WidestOf(kFusedSets, level, [](const BilinearFusedSet& s) { return s.rows16; })(
        pattern, src, srcStride, width, height, r, g, b, dstStride, step, level);
}

KernelChain<BilinearRowFn> ChooseBilinearRow(SimdLevel level, BilinearPixels pixels,
                                             BilinearRowKinds kinds, bool redFirst) {
    static const BilinearRowSet* const kSets[kSimdLevelCount] = {
        nullptr, nullptr, &kBilinearRowsSsse3, &kBilinearRowsAvx2, &kBilinearRowsAvx512};
    return ChainOf(kSets, level, [&](const BilinearRowSet& s) {
        const auto& table = pixels == BilinearPixels::Quad8     ? s.quad8
                            : pixels == BilinearPixels::Triple8 ? s.triple8
                                                                : s.triple16;
        return table[kinds.redRow][kinds.evenColour][redFirst];
    });
}

}  // namespace orvex
