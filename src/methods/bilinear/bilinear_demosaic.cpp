// Router of the bilinear demosaic: the layout is settled once per call as a
// pack plan, the drivers' build and sample width from the level and the
// mosaic.
#include "methods/bilinear/bilinear_demosaic.h"

#include "pack/pack_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

BilinearPlan PlanBilinear(const Conversion& job, SimdFeatures level) {
    BilinearPlan plan{PackPlan(job.dst, job.pack, level), nullptr, {}};
    if (!plan.pack.Valid()) return plan;
    static const KernelImpl<BilinearFusedSet> kSets[] = {{Isa::Avx2, &kBilinearFusedAvx2},
                                                         {kPortable, &kBilinearFusedPortable}};
    const bool wide = job.frame.format == kFormatMosaic16;
    plan.rows = WidestOf(kSets, level,
                         [&](const BilinearFusedSet& s) { return wide ? s.rows16 : s.rows8; });
    plan.kernels = ChooseBilinearRows(job, plan.pack, wide ? 2 : 1, level);
    return plan;
}

void BilinearDemosaic(const Conversion& job, SimdFeatures level) {
    PlanBilinear(job, level).Convert(job);
}

}  // namespace orvex
