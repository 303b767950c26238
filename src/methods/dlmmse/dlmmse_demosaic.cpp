// The portable build of the directional LMMSE passes, and the choice of build.
#include "methods/dlmmse/dlmmse_demosaic.h"

#include <algorithm>

#include "methods/dlmmse/dlmmse_rows.h"
#include "simd/kernel_chain.h"

namespace orvex {

ORVEX_DLMMSE_SET(kDlmmsePortable, )

void PrepareDlmmse(const Conversion& job, DlmmseMemory& memory) {
    const size_t stride = size_t(job.dst.width) + 2 * kDlmmseMargin;
    const size_t rows = std::min<size_t>(kDlmmseStripRows, job.dst.height) + 2 * kDlmmseMargin;
    // Eight planes, ten row temporaries, and the output row's samples.
    memory.planes.assign(8 * stride * rows + 10 * stride + (3 * size_t(job.dst.width) + 1) / 2, 0);
}

void DlmmseDemosaic(const Conversion& job, DlmmseMemory& memory, SimdLevel level) {
    static const DlmmseSet* const kSets[kSimdLevelCount] = {&kDlmmsePortable, nullptr, nullptr,
                                                            &kDlmmseAvx2, nullptr};
    WidestOf(kSets, level, [](const DlmmseSet& s) { return s.rows; })(job, memory, level);
}

}  // namespace orvex
