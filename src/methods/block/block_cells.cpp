// The portable build of the cell kernels.
#include "methods/block/block_cells.h"

#include "methods/block/block_demosaic.h"

namespace orvex {
namespace {

template <class S, class Corner>
void Cells(const Conversion& job, const PackPlan& pack, const BlockCellKernels& kernels) {
    BlockCellsRows<S, Corner>(job, pack, kernels);
}

}  // namespace

extern const BlockCellsSet kBlockCellsPortable = {
    {{Cells<Sample8, ColourCorner>, Cells<Sample8, GreenCorner>},
     {Cells<Sample16, ColourCorner>, Cells<Sample16, GreenCorner>}}};

}  // namespace orvex
