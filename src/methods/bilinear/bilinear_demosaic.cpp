// Router of the bilinear demosaic: the layout is settled once as a pack
// plan, the drivers' build and sample width from the level and the mosaic.
#include "methods/bilinear/bilinear_demosaic.h"

#include "pack/pack_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

void BilinearDemosaic(const Conversion& job, SimdFeatures level) {
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid()) return;
    static const KernelImpl<BilinearFusedSet> kSets[] = {{Isa::Avx2, &kBilinearFusedAvx2},
                                                         {kPortable, &kBilinearFusedPortable}};
    const bool wide = job.frame.format == kFormatMosaic16;
    WidestOf(kSets, level, [&](const BilinearFusedSet& s) { return wide ? s.rows16 : s.rows8; })(
        job, pack, level);
}

}  // namespace orvex
