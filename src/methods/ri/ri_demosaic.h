// Residual-interpolation demosaic (Kiku, Monno, Tanaka and Okutomi,
// "Residual interpolation for color image demosaicking", ICIP 2013), each
// direction's difference estimated by LMMSE (Zhang and Wu, IEEE
// Transactions on Image Processing 14(12), 2005) and the two weighted by
// their gradients (Pekkucuksen and Altunbasak, "Gradient based threshold
// free color filter array interpolation", ICIP 2010).
//
// Along each row and each column both colours of the line are interpolated
// linearly; a guided filter (He, Sun and Tang, "Guided image filtering",
// ECCV 2010) over windows of 11 sites of the line, each window fitting its
// centre's colour over that colour's 5 sites, gives tentative estimates of
// each colour from the other, a site's coefficients the plain means of
// those of the windows centred on the colour's sites that cover it, as the
// guided filter averages them; the residuals of the samples (sample minus
// tentative estimate) are interpolated along the line and added back, which
// gives the difference green minus the line's colour at every site. Green at colour sites is the
// colour plus the two directions' LMMSE estimates of the difference, each weighted by the inverse
// square of its gradient summed over 9 x 5 sites (a floor of 1e-10 of the squared range over 255
// squared); that estimate is drawn towards the same weighting of the differences smoothed only by
// (1, 2, 1) / 4, by the share of detail: the gradients of the directions' low-passed differences
// over the samples' own, each summed over 7 x 5 sites, at most 1. The LMMSE smoothing assumes the
// colours move together; where the differences carry as much detail as the samples (saturated
// colour, colour edges) it would blur that detail, and the sharp differences are taken instead.
// Red and blue everywhere are minimized-Laplacian residual interpolation (Kiku, Monno,
// Tanaka and Okutomi, "Minimized-Laplacian residual interpolation for color image demosaicking",
// SPIE 2014): a guided filter of the full green over the 5 x 5 windows centred on the colour's
// sites, statistics at the 3 x 3 sites of the colour in each, whose slope is the mean product of
// the colour's and green's Laplacians (step 2, the colour's own sub-lattice) over green's mean
// squared Laplacian, each plus the floor (so a window without detail keeps the colour difference,
// slope 1), a pixel's coefficients the means over the 9, 6 or 4 windows covering it, plus the
// residuals of their samples interpolated along green's flatter direction: at the sites diagonal
// to the colour's the means along the two diagonals, then at green's sites the means across and
// along, each pair weighted by the inverse square of green's gradient and curvature along it
// summed over 3 x 3 sites (plus a floor of 1e-3 of the range), as the green stage weighs its
// directions. Both filters take their windows on the
// target colour's own sub-lattice only, as the fast guided filter takes its coefficients on a
// subsampled grid (He and Sun, "Fast guided filter", arXiv 1505.00996, 2015), for the same
// picture: the lines fit once a site instead of twice, and red and blue's Laplacians, statistics
// and fits run on the colour's sites only (each row's samples and green there kept apart).
// Tentative estimates are clipped to the sample range; the filters' variances and squared
// Laplacians have a floor (1e-6 of the squared range), so flat areas divide by no zero. Single
// precision with every sum in a fixed order, the same operations at every instruction-set level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/conversion.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

// Reach of a pixel's estimates: line interpolation 1, window 5, window
// means 5, residuals 1; low-pass 4, statistics 4 (the share of detail's
// gradients 1 and sums 3); colour Laplacians 2, windows 2 and 2, residuals 2.
inline constexpr size_t kRiReach = 28;
// Rows and columns a window reads beyond its tile: the reach, made even so
// that a window starts on a whole 2 x 2 cell.
inline constexpr size_t kRiMargin = (kRiReach + 1) & ~size_t(1);
// The widest column tile: a tile's window runs down the whole band, and its
// margins widen it by about a ninth (the stages compute fewer of those
// columns the later they come).
inline constexpr size_t kRiTileColumns = 512;
// Rows of column differences taken at once (each chunk reads 12 rows of
// samples beyond it either side), and rows of the window's planes: a chunk,
// those 24 and the 12 the later stages still read behind the newest, plus a
// ring's 16 of slack. The three planes, rings and line scratch (under
// 3.5 MiB) are a band's whole working memory.
inline constexpr size_t kRiChunkRows = 256, kRiPlaneRows = kRiChunkRows + 24 + 12 + 16;

// Bands converted at once at most: each takes its window's memory (under
// 3.5 MiB) and, for packed or corrected mosaics, its strip of source rows
// (under 3.5 MiB at 4096 columns), so four stay within 32 MiB.
inline constexpr uint32_t kRiMaxBands = 4;

struct RiMemory {
    std::vector<float> planes;
};

// Sizes the working memory (may throw std::bad_alloc; nothing written then).
void PrepareRi(const Conversion& job, RiMemory& memory);

// The region of a Mosaic8 or Mosaic16 frame of at least 2 x 2, patterns
// 0..3, into a colour layout view of the region's size.
void RiDemosaic(const Conversion& job, RiMemory& memory, SimdFeatures level);

using RiRowsFn = void (*)(const Conversion& job, RiMemory& memory, const PackPlan& pack);
struct RiSet {
    RiRowsFn rows8, rows16;  // by the mosaic's sample width
};
extern const RiSet kRiPortable, kRiAvx2, kRiAvx512;

// A call's conversion settled once: its pack plan, and the passes of the
// level and of the mosaic's sample width.
struct RiPlan {
    PackPlan pack;
    RiRowsFn rows;
};
RiPlan PlanRi(const Conversion& job, SimdFeatures level);

// Rows of the planned call (its conversion, or a part of it) with a band's
// working memory.
void ConvertRi(const Conversion& part, RiMemory& memory, const RiPlan& plan);

}  // namespace orvex
