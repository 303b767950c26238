// Router of the bilinear demosaic: the layout is settled once as a pack
// plan, the drivers' build and sample width from the level and the mosaic.
#include "methods/bilinear/bilinear_demosaic.h"

#include "pack/pack_rows.h"
#include "simd/kernel_chain.h"

namespace orvex {

void BilinearDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level) {
    const PackPlan pack(dst, false, 0, level);
    if (!pack.Valid()) return;
    static const BilinearFusedSet* const kSets[kSimdLevelCount] = {
        &kBilinearFusedPortable, nullptr, nullptr, &kBilinearFusedAvx2, nullptr};
    const bool wide = src.format == kFormatMosaic16;
    WidestOf(kSets, level, [&](const BilinearFusedSet& s) { return wide ? s.rows16 : s.rows8; })(
        src, pack, level);
}

}  // namespace orvex
