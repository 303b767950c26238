// The portable build of the residual-interpolation passes, and the choice of
// build.
#include "methods/ri/ri_demosaic.h"

#include <algorithm>

#include "methods/ri/ri_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_RI_SET(kRiPortable, , RiRowPasses)

void PrepareRi(const Conversion& job, RiMemory& memory) {
    const size_t tiles = (size_t(job.dst.width) + kRiTileColumns - 1) / kRiTileColumns;
    const size_t widest = (size_t(job.dst.width) + tiles - 1) / tiles + 1;
    memory.planes.assign(RiPlaneFloats(RiWindowWidth(widest), job.dst.height + 2 * kRiMargin),
                         0.0f);
}

RiPlan PlanRi(const Conversion& job, SimdFeatures level) {
    static const KernelImpl<RiSet> kSets[] = {
        {Isa::Avx512, &kRiAvx512}, {Isa::Avx2, &kRiAvx2}, {kPortable, &kRiPortable}};
    const bool wide = job.frame.format == kFormatMosaic16;
    return {PackPlan(job.dst, job.pack, level),
            WidestOf(kSets, level, [&](const RiSet& s) { return wide ? s.rows16 : s.rows8; })};
}

void ConvertRi(const Conversion& part, RiMemory& memory, const RiPlan& plan) {
    plan.rows(part, memory, plan.pack);
}

void RiDemosaic(const Conversion& job, RiMemory& memory, SimdFeatures level) {
    ConvertRi(job, memory, PlanRi(job, level));
}

}  // namespace orvex
