// The portable build of the directional LMMSE passes, and the choice of build.
#include "methods/dlmmse/dlmmse_demosaic.h"

#include <algorithm>

#include "methods/dlmmse/dlmmse_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_DLMMSE_SET(kDlmmsePortable, )

void PrepareDlmmse(const Conversion& job, DlmmseMemory& memory) {
    // Tiles are at most two columns wider than the widest tile asked for.
    const size_t widest = std::min<size_t>(job.dst.width, kDlmmseTileColumns + 2);
    const size_t half = DlmmseHalf(widest);
    const size_t halves = 2 * kDlmmseMosaicRows + 2 * kDlmmseDifferenceRows +
                          6 * kDlmmseStatisticRows + 3 * kDlmmseColourRows + 3 * kDlmmseQuadRows +
                          2 * 4 + 3;
    // The output row's three sample arrays, 2 bytes per pixel pair member.
    const size_t samples = 3 * 2 * ((widest + 1) / 2);
    memory.planes.assign(halves * half + (samples + 1) / 2, 0);
}

DlmmsePlan PlanDlmmse(const Conversion& job, SimdFeatures level) {
    static const KernelImpl<DlmmseSet> kSets[] = {
        {Isa::Avx512, &kDlmmseAvx512}, {Isa::Avx2, &kDlmmseAvx2}, {kPortable, &kDlmmsePortable}};
    const bool wide = job.frame.format == kFormatMosaic16;
    return {PackPlan(job.dst, job.pack, level),
            WidestOf(kSets, level, [&](const DlmmseSet& s) { return wide ? s.rows16 : s.rows8; })};
}

void ConvertDlmmse(const Conversion& part, DlmmseMemory& memory, const DlmmsePlan& plan) {
    plan.rows(part, memory, plan.pack);
}

void DlmmseDemosaic(const Conversion& job, DlmmseMemory& memory, SimdFeatures level) {
    ConvertDlmmse(job, memory, PlanDlmmse(job, level));
}

}  // namespace orvex
