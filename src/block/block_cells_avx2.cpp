// The AVX2 build of the cell kernels: the same body, compiled for the
// wider set so the compiler vectorises its per-sample loops with it.
#include "block/block_cells.h"
#include "block/block_demosaic.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
namespace orvex {
namespace {

template <class S, class Corner, size_t kStep>
ORVEX_TARGET_AVX2 void Cells(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                             uint8_t* top, uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride,
                             uint8_t pixelStep, SimdLevel level) {
    BlockCellsStep<S, Corner, kStep>(src, srcStride, width, height, top, green, bottom, dstStride,
                                     pixelStep, level);
}

}  // namespace

#define ORVEX_BLOCK_STEPS(S, Corner) \
    { Cells<S, Corner, 1>, Cells<S, Corner, 3>, Cells<S, Corner, 4>, Cells<S, Corner, 0> }

extern const BlockCellsSet kBlockCellsAvx2 = {
    {{ORVEX_BLOCK_STEPS(Sample8, ColourCorner), ORVEX_BLOCK_STEPS(Sample8, GreenCorner)},
     {ORVEX_BLOCK_STEPS(Sample16, ColourCorner), ORVEX_BLOCK_STEPS(Sample16, GreenCorner)}}};

}  // namespace orvex
#else
namespace orvex {
extern const BlockCellsSet kBlockCellsAvx2 = {};
}  // namespace orvex
#endif
