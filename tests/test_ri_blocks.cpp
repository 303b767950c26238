// The AVX-512 kernels along a row of the residual-interpolation demosaic
// against the shared passes they stand in for: the same rows of random
// state given to both, every site each pass keeps compared bit for bit, at
// window widths of one block beyond the margins up to several tiles, at both
// parities of the colour's rows and columns.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "methods/ri/ri_colour_blocks_avx512.h"
#include "methods/ri/ri_green_blocks_avx512.h"
#include "methods/ri/ri_residual_blocks_avx512.h"
#include "methods/ri/ri_row_passes.h"
#include "methods/ri/ri_share_blocks_avx512.h"
#include "simd/simd.h"
#include "test_support.h"

#if defined(ORVEX_X86)
namespace {

using namespace orvex;

// The window's planes (kRows rows), its rings and scratch, all of random
// values, starting on cache lines; Copy() gives the same state again.
constexpr size_t kRows = 32, kRingCount = kRiGreenRings + 4 + 8 + 2 + 5;

struct State {
    size_t w;
    std::vector<float> memory;
    float* base;
    State(size_t width, float limit, uint32_t seed)
        : w(width), memory((3 * kRows + kRingCount * kRiRingRows + 16) * width + 64) {
        base = memory.data() + (16 - reinterpret_cast<uintptr_t>(memory.data()) / 4 % 16) % 16;
        const size_t n = memory.size() - size_t(base - memory.data());
        std::vector<uint8_t> bytes(n);
        testsupport::FillRandom(bytes.data(), n, seed);
        // Samples and green in 0 .. limit, the differences either side of 0.
        for (size_t i = 0; i < n; ++i)
            base[i] = float(bytes[i]) * limit / 255 - (i >= 2 * kRows * w ? 0 : limit / 8);
    }
    float* Plane(size_t k) const { return base + k * kRows * w; }
    RiRing Ring(size_t k) const { return {base + (3 * kRows + k * kRiRingRows) * w, w}; }
    float* Scratch() const { return base + (3 * kRows + kRingCount * kRiRingRows) * w; }
    RiGreenRings Green() const {
        return {Ring(0),  {Ring(1), Ring(2), Ring(3)},
                Ring(4),  Ring(5),
                Ring(6),  Ring(17),
                Ring(18), Ring(19),
                Ring(20), Ring(21),
                Ring(22), Ring(23)};
    }
    RiColourRings Colour(size_t cx, size_t cy) const {
        return {Ring(11), Ring(12), Ring(13), Ring(14), cx, cy};
    }
    RiResidualRings Residuals() const { return {Ring(24), Ring(25), Ring(26), Ring(27), Ring(28)}; }
};

// Row y of ring or plane rows a and b agree over [first, w - last).
void ExpectRowsEqual(const float* a, const float* b, size_t w, size_t first, size_t last,
                     const char* what) {
    for (size_t x = first; x + last < w; ++x)
        ASSERT_EQ(std::memcmp(a + x, b + x, sizeof(float)), 0) << what << " w " << w << " x " << x;
}

TEST(RiBlocks, KernelsAlongARowMatchTheSharedPasses) {
    if (!ProcessSimd().Has(Isa::Avx512)) GTEST_SKIP() << "no AVX-512";
    const size_t y = 20;  // a row with rows enough either side in every ring
    uint32_t seed = 7;
    for (const size_t w : {64u, 80u, 576u, 1040u})
        for (const size_t parity : {0u, 1u}) {
            const float limit = parity ? 4095.0f : 255.0f;
            RiWindow win{w,
                         2 * kRows,
                         parity,
                         limit,
                         limit * limit * 1e-6f,
                         limit * limit * 1.5e-10f,
                         1e-10f / (255.0f * 255.0f)};
            const State a(w, limit, seed), b(w, limit, seed);
            ++seed;
            const RiGreenRings ga = a.Green(), gb = b.Green();
            // Green: row gradients, column terms with their quad sums, fusion.
            const float *dha = a.Plane(1) + 8 * w, *dhb = b.Plane(1) + 8 * w;
            RiRowPasses::Gradients(win, dha, a.Plane(0) + y * w, ga, a.Scratch(), y);
            RiGreenRowGradientsAvx512(win, dhb, gb, y);
            RiGreenRowDetailAvx512(win, dhb, b.Plane(0) + y * w, gb, y);
            ExpectRowsEqual(ga.gh[y], gb.gh[y], w, 20, 20, "row gradients");
            ExpectRowsEqual(ga.detailRow[y], gb.detailRow[y], w, 20, 20, "share's row detail");
            ExpectRowsEqual(ga.levelRow[y], gb.levelRow[y], w, 20, 20, "share's row level");
            RiRowPasses::GreenColumns(win, a.Plane(1), a.Plane(0), ga, y, true, 2);
            RiGreenColumnsAvx512(win, b.Plane(1), gb, y);
            RiGreenColumnDetailAvx512(win, b.Plane(0), gb, y - 1);
            ExpectRowsEqual(ga.sv[y], gb.sv[y], w, 18, 18, "column low-pass");
            ExpectRowsEqual(ga.gv[y], gb.gv[y], w, 18, 18, "column gradients");
            for (size_t k = 0; k < 3; ++k)
                ExpectRowsEqual(ga.quad[k][y - 3], gb.quad[k][y - 3], w, 20, 20, "quad sums");
            ExpectRowsEqual(ga.gvq[y - 3], gb.gvq[y - 3], w, 18, 18, "gradient quads");
            const RiRing* column[4][2] = {{&ga.detailColumn, &gb.detailColumn},
                                          {&ga.levelColumn, &gb.levelColumn},
                                          {&ga.detailQuad, &gb.detailQuad},
                                          {&ga.levelQuad, &gb.levelQuad}};
            for (size_t k = 0; k < 4; ++k) {
                const size_t row = k < 2 ? y - 1 : y - 4;
                ExpectRowsEqual((*column[k][0])[row], (*column[k][1])[row], w, 18, 18,
                                "share's columns");
            }
            RiRowPasses::Fuse(win, a.Plane(0), dha, a.Plane(1), ga, a.Scratch(), a.Plane(2), y);
            RiGreenShareAvx512(win, gb, y);
            RiGreenFuseAvx512(win, b.Plane(0), dhb, b.Plane(1), gb, b.Plane(2), y);
            ExpectRowsEqual(ga.share[y], gb.share[y], w, 20, 20, "share");
            ExpectRowsEqual(a.Plane(2) + y * w, b.Plane(2) + y * w, w, 20, 20, "green");
            // Red or blue: row sums, coefficients, means and rows, on a row
            // of the colour (cy = y's parity) and a row between.
            for (const size_t cy : {y & 1, 1 - (y & 1)}) {
                const RiColourSites sa{a.Ring(15), a.Ring(16)}, sb{b.Ring(15), b.Ring(16)};
                const RiRing suma[4] = {a.Ring(7), a.Ring(8), a.Ring(9), a.Ring(10)};
                const RiRing sumb[4] = {b.Ring(7), b.Ring(8), b.Ring(9), b.Ring(10)};
                RiRowPasses::ColourRowSums(win, sa, parity, suma, a.Scratch(), y);
                RiColourRowSumsAvx512(win, sb, parity, sumb, y);
                for (size_t k = 0; k < 4; ++k)
                    ExpectRowsEqual(suma[k][y], sumb[k][y], (w - parity) / 2, 12, 12, "row sums");
                const RiColourRings ca = a.Colour(parity, cy), cb = b.Colour(parity, cy);
                RiRowPasses::ColourCoefficients(win, suma, ca, a.Scratch(), y);
                RiColourCoefficientsAvx512(win, sumb, cb, y);
                ExpectRowsEqual(ca.ra[y], cb.ra[y], w, 26, 26, "slopes");
                ExpectRowsEqual(ca.rb[y], cb.rb[y], w, 26, 26, "offsets");
                RiRowPasses::ColourMeans(win, a.Plane(0), a.Plane(2), ca, y);
                RiColourMeansAvx512(win, b.Plane(0), b.Plane(2), cb, y);
                ExpectRowsEqual(ca.est[y], cb.est[y], w, 26, 26, "estimates");
                if ((y & 1) == cy) ExpectRowsEqual(ca.res[y], cb.res[y], w, 26, 26, "residuals");
                // The residuals' directions: green's variations at y and
                // the weights at y - 1, then the diagonal residuals at y of a
                // colour whose row y is not.
                const RiResidualRings da = a.Residuals(), db = b.Residuals();
                RiRowPasses::Directions(win, a.Plane(2), da, a.Scratch(), y, true);
                RiResidualDirectionsAvx512(win, b.Plane(2), db, y, true);
                ExpectRowsEqual(da.diagonal[y], db.diagonal[y], w, 26, 26, "diagonal variations");
                ExpectRowsEqual(da.antidiagonal[y], db.antidiagonal[y], w, 26, 26,
                                "antidiagonal variations");
                ExpectRowsEqual(da.across[y], db.across[y], w, 26, 26, "variations across");
                ExpectRowsEqual(da.along[y], db.along[y], w, 26, 26, "variations along");
                ExpectRowsEqual(da.weight[y - 1], db.weight[y - 1], w, 27, 27, "weights");
                if ((y & 1) != cy) {
                    RiRowPasses::ColourDiagonals(win, ca, da.weight[y - 1], y);
                    RiColourDiagonalsAvx512(win, cb, db.weight[y - 1], y);
                    // Only the diagonal sites are written (and read) on such a row.
                    for (size_t x = 27 + parity; x + 27 < w; x += 2)
                        ASSERT_EQ(std::memcmp(ca.res[y] + x, cb.res[y] + x, sizeof(float)), 0)
                            << "diagonal residuals w " << w << " x " << x;
                }
                float *outa = a.Scratch() + 8 * w, *outb = b.Scratch() + 8 * w;
                // Weights: a row of random state, the same in both.
                const float *wa = a.Plane(2) + (y + 4) * w, *wb = b.Plane(2) + (y + 4) * w;
                RiRowPasses::ColourRow(win, a.Plane(0), ca, wa, outa, y);
                RiColourRowAvx512(win, b.Plane(0), cb, wb, outb, y);
                ExpectRowsEqual(outa, outb, w, kRiMargin, kRiMargin, "colour");
            }
        }
}

}  // namespace
#endif
