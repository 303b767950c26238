// Router of the block demosaic: settles layout, sample width and pattern once.
#include "methods/block/block_demosaic.h"

#include "core/formats.h"
#include "pack/pack_rows.h"
#include "simd/kernel_table.h"

namespace orvex {
namespace {

struct PatternRoute {
    bool greenCorner;  // top-left sample of the cell is green
    bool redOnTop;     // the top row's colour sample is red
};

constexpr PatternRoute kPatternRoutes[4] = {
    {false, true},   // RGGB
    {true, true},    // GRBG
    {true, false},   // GBRG
    {false, false},  // BGGR
};

}  // namespace

void BlockDemosaic(const Conversion& job, SimdFeatures level) {
    const SourceView& src = job.frame;
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || src.pattern > kBggr) return;
    const PatternRoute& route = kPatternRoutes[src.pattern];
    static const KernelImpl<BlockCellsSet> kSets[] = {{Isa::Avx2, &kBlockCellsAvx2},
                                                      {kPortable, &kBlockCellsPortable}};
    const BlockCellsFn cells = WidestOf(kSets, level, [&](const BlockCellsSet& s) {
        return s.cells[src.format == kFormatMosaic16][route.greenCorner];
    });
    cells(job, pack, route.redOnTop, level);
}

}  // namespace orvex
