// Directional linear minimum mean square-error demosaic (Zhang and Wu,
// "Color demosaicking via directional linear minimum mean square-error
// estimation", IEEE Transactions on Image Processing 14(12), 2005).
//
// Along each row and each column the difference green minus the row's (or
// column's) colour is estimated at every site by Laplacian-corrected
// interpolation; the difference is treated as a noisy observation of a
// smooth signal, low-passed, and at each colour site the two directional
// estimates are refined by LMMSE from local statistics over nine samples,
// then fused with weights inverse to their error variances. Green at colour
// sites is the colour plus the fused difference; the other colour at
// colour sites and both colours at green sites follow from the differences
// of their neighbours. Single precision throughout, each value computed
// with the same operations in the same order at every instruction-set
// level, so results do not depend on vector width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/conversion.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// Reach of a pixel's estimates: directional differences 2, low-pass 4,
// statistics 4, the other colour 1, colours at green sites 1.
inline constexpr size_t kDlmmseMargin = 12;
// Widest column tile: its working rows (about 190 half rows, 1.5 MiB at
// this width) stay within a core's second-level cache.
inline constexpr size_t kDlmmseTileColumns = 4096;
// Rows each ring keeps, no more than are read (a ring's every slot is
// touched in turn, so its slots are its working set): the mosaic's
// thirteen, from the output row to the margin below it; the differences'
// nine of the low-pass; the statistics' five, from the row green is
// estimated on to the newest; the sums of four rows' six; green's four and
// the colours' three.
inline constexpr size_t kDlmmseMosaicRows = 13, kDlmmseDifferenceRows = 9, kDlmmseStatisticRows = 5,
                        kDlmmseQuadRows = 6, kDlmmseColourRows = 4;
// Entries of each parity half of a tile's window rows.
inline size_t DlmmseHalf(size_t tileWidth) {
    return (tileWidth + 1) / 2 + 16;
}

// Working memory of one conversion: the rings and rows of a tile.
struct DlmmseMemory {
    std::vector<float> planes;
};

// Sizes the working memory (may throw std::bad_alloc; nothing written then).
void PrepareDlmmse(const Conversion& job, DlmmseMemory& memory);

// The region of a Mosaic8 or Mosaic16 frame of at least 2 x 2, patterns
// 0..3, into a colour layout view of the region's size.
void DlmmseDemosaic(const Conversion& job, DlmmseMemory& memory, SimdFeatures level);

// The passes of one build (portable, AVX2, AVX-512).
using DlmmseRowsFn = void (*)(const Conversion& job, DlmmseMemory& memory, const PackPlan& pack);
struct DlmmseSet {
    DlmmseRowsFn rows8, rows16;  // by the mosaic's sample width
};
extern const DlmmseSet kDlmmsePortable, kDlmmseAvx2, kDlmmseAvx512;

// A call's conversion settled once: its pack plan, and the passes of the
// level and of the mosaic's sample width.
struct DlmmsePlan {
    PackPlan pack;
    DlmmseRowsFn rows;
};
DlmmsePlan PlanDlmmse(const Conversion& job, SimdFeatures level);

// Rows of the planned call (its conversion, or a part of it) with a band's
// working memory.
void ConvertDlmmse(const Conversion& part, DlmmseMemory& memory, const DlmmsePlan& plan);

}  // namespace orvex
