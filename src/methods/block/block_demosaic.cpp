// Router of the block demosaic: settles layout, sample width and pattern
// once per call.
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

BlockPlan PlanBlock(const Conversion& job, SimdFeatures level) {
    const SourceView& src = job.frame;
    BlockPlan plan{PackPlan(job.dst, job.pack, level), nullptr, {}};
    if (!plan.pack.Valid() || src.pattern > kBggr) return plan;
    const PatternRoute& route = kPatternRoutes[src.pattern];
    static const KernelImpl<BlockCellsSet> kSets[] = {{Isa::Avx2, &kBlockCellsAvx2},
                                                      {kPortable, &kBlockCellsPortable}};
    plan.rows = WidestOf(kSets, level, [&](const BlockCellsSet& s) {
        return s.cells[src.format == kFormatMosaic16][route.greenCorner];
    });
    plan.kernels.redOnTop = route.redOnTop;
    // The row kernels write the top row's colour first or last.
    const bool topFirst =
        plan.pack.Direct(src.format == kFormatMosaic16 ? 2 : 1).redFirst == route.redOnTop;
    plan.kernels.rows = ChooseBlockRows(level, !route.greenCorner, topFirst);
    return plan;
}

void BlockDemosaic(const Conversion& job, SimdFeatures level) {
    PlanBlock(job, level).Convert(job);
}

}  // namespace orvex
