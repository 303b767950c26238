// The AVX-512 build of the residual-interpolation passes: the same body,
// compiled for the wider set so the compiler vectorises its per-site
// arithmetic with it, with the passes along a row of the line, green and
// colour stages and the line stage down a block of columns in registers
// (ri_line_blocks_avx512.h, ri_green_blocks_avx512.h,
// ri_share_blocks_avx512.h, ri_colour_blocks_avx512.h,
// ri_residual_blocks_avx512.h, ri_column_blocks_avx512.h).
#include "methods/ri/ri_colour_blocks_avx512.h"
#include "methods/ri/ri_column_blocks_avx512.h"
#include "methods/ri/ri_green_blocks_avx512.h"
#include "methods/ri/ri_line_blocks_avx512.h"
#include "methods/ri/ri_residual_blocks_avx512.h"
#include "methods/ri/ri_rows.h"
#include "methods/ri/ri_share_blocks_avx512.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
namespace {

static_assert(kRiColumnRingFloats <= kRiLineRows * kRiColumnBlock * kRiLineSteps,
              "the column registers' rings fit the scratch a column block is given");

// The passes along a row and down a column block for RiRows (ri_rows.h).
struct RiRowPassesAvx512 {
    static ORVEX_INLINE void Lines(const RiWindow& win, const float* m, size_t green, float* rows,
                                   float* diff) {
        RiRowLinesAvx512(m, win.w, green, win.limit, win.floor, rows, diff);
    }
    static ORVEX_INLINE void ColumnLines(const RiWindow& win, const float* m, size_t n,
                                         size_t green, float* rings, float* diff) {
        RiColumnLinesAvx512(m, win.w, n, green, win.limit, win.floor, rings, diff, win.w);
    }
    static ORVEX_INLINE void Gradients(const RiWindow& win, const float* d, const float* m,
                                       const RiGreenRings& r, float*, size_t y) {
        RiGreenRowGradientsAvx512(win, d, r, y);
        RiGreenRowDetailAvx512(win, d, m, r, y);
    }
    // From the fourth row on the share's column gradients are due with the
    // quad sums (their own quad sums too, or rows never read).
    static ORVEX_INLINE void GreenColumns(const RiWindow& win, const float* dv, const float* m,
                                          const RiGreenRings& r, size_t y, bool quads, int detail) {
        if (quads) {
            RiGreenColumnsAvx512(win, dv, r, y);
            RiGreenColumnDetailAvx512(win, m, r, y - 1);
        } else {
            RiGreenColumnRow(win, dv, r, y);
            if (detail > 0) RiGreenColumnDetail(win, m, r, y - 1, detail > 1);
        }
    }
    static ORVEX_INLINE void Fuse(const RiWindow& win, const float* m, const float* d,
                                  const float* dv, const RiGreenRings& r, float*, float* g,
                                  size_t y) {
        RiGreenShareAvx512(win, r, y);
        RiGreenFuseAvx512(win, m, d, dv, r, g, y);
    }
    static ORVEX_INLINE void ColourRowSums(const RiWindow& win, const RiColourSites& c, size_t cx,
                                           const RiRing* sums, float*, size_t y) {
        RiColourRowSumsAvx512(win, c, cx, sums, y);
    }
    static ORVEX_INLINE void ColourCoefficients(const RiWindow& win, const RiRing* sums,
                                                const RiColourRings& c, float*, size_t y) {
        RiColourCoefficientsAvx512(win, sums, c, y);
    }
    static ORVEX_INLINE void ColourMeans(const RiWindow& win, const float* m, const float* g,
                                         const RiColourRings& c, size_t y) {
        RiColourMeansAvx512(win, m, g, c, y);
    }
    // Green's variations at row y, and the residuals' weights at y - 1 when
    // `weights`.
    static ORVEX_INLINE void Directions(const RiWindow& win, const float* g,
                                        const RiResidualRings& r, float*, size_t y, bool weights) {
        RiResidualDirectionsAvx512(win, g, r, y, weights);
    }
    static ORVEX_INLINE void ColourDiagonals(const RiWindow& win, const RiColourRings& c,
                                             const float* wt, size_t y) {
        RiColourDiagonalsAvx512(win, c, wt, y);
    }
    static ORVEX_INLINE void ColourRow(const RiWindow& win, const float* m, const RiColourRings& c,
                                       const float* wt, float* out, size_t y) {
        RiColourRowAvx512(win, m, c, wt, out, y);
    }
};

}  // namespace

ORVEX_RI_SET(kRiAvx512, ORVEX_TARGET_AVX512, RiRowPassesAvx512)
#else
extern const RiSet kRiAvx512 = {};
#endif

}  // namespace orvex
