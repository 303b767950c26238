// The passes along a row of the residual-interpolation demosaic's line,
// green and colour stages as every build compiles them, for RiRows
// (ri_rows.h); the AVX-512 build passes kernels of its own in their place
// (ri_demosaic_avx512.cpp).
#pragma once

#include <cstddef>

#include "methods/ri/ri_block_lines.h"
#include "methods/ri/ri_colour.h"
#include "methods/ri/ri_green.h"
#include "methods/ri/ri_lines.h"
#include "methods/ri/ri_residuals.h"
#include "methods/ri/ri_share.h"

namespace orvex {
namespace {

// RiRows's P: the shared forms; a build's own kernels must give the same
// values.
struct RiRowPasses {
    static ORVEX_INLINE void Lines(const RiWindow& win, const float* m, size_t green, float* rows,
                                   float* diff) {
        RiLines<1>(m, 1, win.w, green, win.limit, win.floor, rows, diff, 1);
    }
    // The differences down a block of kRiLineFloats columns of the window.
    static ORVEX_INLINE void ColumnLines(const RiWindow& win, const float* m, size_t n,
                                         size_t green, float* rings, float* diff) {
        RiColumnLines<kRiLineFloats>(m, win.w, n, green, win.limit, win.floor, rings, diff, win.w);
    }
    // Row y's gradients and the share's row sums (m the samples' row).
    static ORVEX_INLINE void Gradients(const RiWindow& win, const float* d, const float* m,
                                       const RiGreenRings& r, float* rows, size_t y) {
        RiGreenRowGradients(win, d, r, rows, y);
        RiGreenRowDetail(win, d, m, r, rows, y);
    }
    // Row y's column terms, their quad sums at y - 3 when `quads`, and the
    // share's column gradients at y - 1 (m the samples' plane) when `detail`
    // is 1 or more, with their quad sums at y - 4 when it is 2.
    static ORVEX_INLINE void GreenColumns(const RiWindow& win, const float* dv, const float* m,
                                          const RiGreenRings& r, size_t y, bool quads, int detail) {
        RiGreenColumnRow(win, dv, r, y);
        if (quads) RiGreenQuadRow(win, dv, r, y - 3);
        if (detail > 0) RiGreenColumnDetail(win, m, r, y - 1, detail > 1);
    }
    // The share at row y, then green.
    static ORVEX_INLINE void Fuse(const RiWindow& win, const float* m, const float* d,
                                  const float* dv, const RiGreenRings& r, float* rows, float* g,
                                  size_t y) {
        RiGreenShare(win, r, rows, y);
        RiGreenFuse(win, m, d, dv, r, rows, g, y);
    }
    static ORVEX_INLINE void ColourRowSums(const RiWindow& win, const RiColourSites& c, size_t cx,
                                           const RiRing* sums, float* rows, size_t y) {
        RiColourRowSums(win, c, cx, sums, rows, y);
    }
    static ORVEX_INLINE void ColourCoefficients(const RiWindow& win, const RiRing* sums,
                                                const RiColourRings& c, float* rows, size_t y) {
        RiColourCoefficients(win, sums, c, rows, y);
    }
    static ORVEX_INLINE void ColourMeans(const RiWindow& win, const float* m, const float* g,
                                         const RiColourRings& c, size_t y) {
        RiColourMeans(win, m, g, c, y);
    }
    // Green's variations at row y, and the residuals' weights at y - 1 when
    // `weights`.
    static ORVEX_INLINE void Directions(const RiWindow& win, const float* g,
                                        const RiResidualRings& r, float* rows, size_t y,
                                        bool weights) {
        RiVariationRow(win, g, r, rows, y);
        if (weights) RiResidualWeights(win, r, y - 1);
    }
    static ORVEX_INLINE void ColourDiagonals(const RiWindow& win, const RiColourRings& c,
                                             const float* wt, size_t y) {
        RiColourDiagonals(win, c, wt, y);
    }
    static ORVEX_INLINE void ColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                                       const float* wt, float* out, size_t y) {
        RiColourRow(win, m, c, wt, out, y);
    }
};

}  // namespace
}  // namespace orvex
