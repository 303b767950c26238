// Gradient-corrected linear demosaic (Malvar, He and Cutler, "High-quality
// linear interpolation for demosaicing of Bayer-patterned color images",
// ICASSP 2004): each missing colour is the bilinear estimate corrected by
// the Laplacian of the site's own colour, as four 5 x 5 integer kernels.
//
//   G at R/B sites, in eighths:   4 C + 2 (N + S + W + E) - (NN + SS + WW + EE)
//   the row's colour at G sites, in sixteenths (and transposed for the
//   column's colour):             10 C + 8 (W + E) - 2 (WW + EE) - 2 (diagonals) + (NN + SS)
//   R at B sites and B at R sites, in sixteenths:
//                                 12 C + 4 (diagonals) - 3 (NN + SS + WW + EE)
//
// Each sum is divided with one rounding, half up ((s + 4) >> 3, (s + 8) >> 4
// of the signed sum), then limited to 0 .. maxValue; a site keeps its own
// sample. Neighbours beyond the frame are read by reflection about the edge
// sample, so every pixel is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/conversion.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// Entries of each parity half of a padded row: two reflected samples on the
// left, and on the right enough for the last pair's reach.
inline size_t MhcHalfRow(size_t width) {
    return (width + 6) / 2;
}

// Working memory of one conversion: five padded source rows, split by
// column parity.
struct MhcMemory {
    std::vector<uint16_t> rows;
};

// Sizes the working memory for a conversion (may throw std::bad_alloc;
// nothing is written then).
void PrepareMhc(const Conversion& job, MhcMemory& memory);

// The region of a Mosaic8 or Mosaic16 frame of at least 2 x 2, patterns
// 0..3, into a colour layout view of the region's size.
void MhcDemosaic(const Conversion& job, MhcMemory& memory, SimdFeatures level);

// The rows of one build (portable, AVX2, AVX-512, NEON).
using MhcRowsFn = void (*)(const Conversion& job, MhcMemory& memory, const PackPlan& pack);
struct MhcSet {
    MhcRowsFn rows8, rows16;  // by the mosaic's sample width
};
extern const MhcSet kMhcPortable, kMhcAvx2, kMhcAvx512, kMhcNeon;

// A call's conversion settled once: its pack plan, and the rows of the
// level and of the mosaic's sample width.
struct MhcPlan {
    PackPlan pack;
    MhcRowsFn rows;
};
MhcPlan PlanMhc(const Conversion& job, SimdFeatures level);

// Rows of the planned call (its conversion, or a part of it) with a band's
// working memory.
void ConvertMhc(const Conversion& part, MhcMemory& memory, const MhcPlan& plan);

}  // namespace orvex
