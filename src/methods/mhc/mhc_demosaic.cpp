// The portable build of the gradient-corrected rows, and the choice of build.
#include "methods/mhc/mhc_demosaic.h"

#include "methods/mhc/mhc_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_MHC_SET(kMhcPortable, )

void PrepareMhc(const Conversion& job, MhcMemory& memory) {
    memory.rows.assign(10 * MhcHalfRow(job.dst.width), 0);
}

MhcPlan PlanMhc(const Conversion& job, SimdFeatures level) {
    static const KernelImpl<MhcSet> kSets[] = {{Isa::Avx512, &kMhcAvx512},
                                               {Isa::Avx2, &kMhcAvx2},
                                               {Isa::Neon, &kMhcNeon},
                                               {kPortable, &kMhcPortable}};
    const bool wide = job.frame.format == kFormatMosaic16;
    return {PackPlan(job.dst, job.pack, level),
            WidestOf(kSets, level, [&](const MhcSet& s) { return wide ? s.rows16 : s.rows8; })};
}

void ConvertMhc(const Conversion& part, MhcMemory& memory, const MhcPlan& plan) {
    plan.rows(part, memory, plan.pack);
}

void MhcDemosaic(const Conversion& job, MhcMemory& memory, SimdFeatures level) {
    ConvertMhc(job, memory, PlanMhc(job, level));
}

}  // namespace orvex
