// The AVX2 build of the cell kernels: the same body, compiled for the
// wider set so the compiler vectorises its per-sample loops with it.
#include "methods/block/block_cells.h"
#include "methods/block/block_demosaic.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
namespace orvex {
namespace {

template <class S, class Corner>
ORVEX_TARGET_AVX2 void Cells(const Conversion& job, const PackPlan& pack,
                             const BlockCellKernels& kernels) {
    BlockCellsRows<S, Corner>(job, pack, kernels);
}

}  // namespace

extern const BlockCellsSet kBlockCellsAvx2 = {
    {{Cells<Sample8, ColourCorner>, Cells<Sample8, GreenCorner>},
     {Cells<Sample16, ColourCorner>, Cells<Sample16, GreenCorner>}}};

}  // namespace orvex
#else
namespace orvex {
extern const BlockCellsSet kBlockCellsAvx2 = {};
}  // namespace orvex
#endif
