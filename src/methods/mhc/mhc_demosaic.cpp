// The portable build of the gradient-corrected rows, and the choice of build.
#include "methods/mhc/mhc_demosaic.h"

#include "methods/mhc/mhc_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_MHC_SET(kMhcPortable, )

void PrepareMhc(const Conversion& job, MhcMemory& memory) {
    memory.rows.assign(10 * MhcHalfRow(job.dst.width), 0);
}

void MhcDemosaic(const Conversion& job, MhcMemory& memory, SimdFeatures level) {
    static const KernelImpl<MhcSet> kSets[] = {{Isa::Avx512, &kMhcAvx512},
                                               {Isa::Avx2, &kMhcAvx2},
                                               {Isa::Neon, &kMhcNeon},
                                               {kPortable, &kMhcPortable}};
    WidestOf(kSets, level, [](const MhcSet& s) { return s.rows; })(job, memory, level);
}

}  // namespace orvex
