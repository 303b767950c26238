// The portable build of the cell kernels.
#include "block/block_cells.h"

#include "block/block_demosaic.h"

namespace orvex {
namespace {

// The pixel steps of the colour layouts get kernels of their own, so the
// stores of a row have a fixed pattern the compiler can vectorise.
template <class S, class Corner, size_t kStep>
void Cells(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height, uint8_t* top,
           uint8_t* green, uint8_t* bottom, ptrdiff_t dstStride, uint8_t pixelStep,
           SimdLevel level) {
    BlockCellsStep<S, Corner, kStep>(src, srcStride, width, height, top, green, bottom, dstStride,
                                     pixelStep, level);
}

}  // namespace

#define ORVEX_BLOCK_STEPS(S, Corner) \
    { Cells<S, Corner, 1>, Cells<S, Corner, 3>, Cells<S, Corner, 4>, Cells<S, Corner, 0> }

extern const BlockCellsSet kBlockCellsPortable = {
    {{ORVEX_BLOCK_STEPS(Sample8, ColourCorner), ORVEX_BLOCK_STEPS(Sample8, GreenCorner)},
     {ORVEX_BLOCK_STEPS(Sample16, ColourCorner), ORVEX_BLOCK_STEPS(Sample16, GreenCorner)}}};

}  // namespace orvex
