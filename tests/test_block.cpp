// Block demosaic against a per-pixel reference built from the cell rules.
#include <gtest/gtest.h>

#include <tuple>

#include "methods/block/block_demosaic.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// The four sites a pixel's triple comes from: its own cell, mirrored into the
// image for an odd last column or row.
void ReferencePixel(const Mosaic& m, uint32_t pattern, size_t x, size_t y, uint32_t& r, uint32_t& g,
                    uint32_t& b) {
    const bool lastCol = (m.w & 1) && x == m.w - 1;
    const bool lastRow = (m.h & 1) && y == m.h - 1;
    const size_t cols[2] = {lastCol ? x : (x & ~size_t(1)), lastCol ? x - 1 : (x | 1)};
    const size_t rows[2] = {lastRow ? y : (y & ~size_t(1)), lastRow ? y - 1 : (y | 1)};
    uint32_t greens = 0;
    for (size_t row : rows) {
        for (size_t col : cols) {
            const uint32_t v = m.At(row, col);
            switch (SiteColour(pattern, row, col)) {
                case 'R':
                    r = v;
                    break;
                case 'B':
                    b = v;
                    break;
                default:
                    greens += v;
            }
        }
    }
    g = greens >> 1;
}

std::vector<uint8_t> ReferenceBlock(const Mosaic& m, uint32_t pattern, const LayoutRef& l,
                                    std::vector<uint8_t> canvas) {
    for (size_t y = 0; y < m.h; ++y) {
        for (size_t x = 0; x < m.w; ++x) {
            uint32_t r = 0, g = 0, b = 0;
            ReferencePixel(m, pattern, x, y, r, g, b);
            PutPixel(canvas.data(), l, m.w, m.h, x, y, r, g, b);
        }
    }
    return canvas;
}

class BlockLayouts : public testing::TestWithParam<LayoutPattern> {};

TEST_P(BlockLayouts, MatchesReferenceOnRandomMosaics) {
    const auto& [layout, pattern] = GetParam();
    const std::vector<std::pair<size_t, size_t>> sizes = {
        {2, 2}, {3, 2},   {2, 3},   {3, 3},  {4, 4},  {5, 7}, {8, 9},
        {9, 8}, {16, 11}, {31, 17}, {64, 2}, {50, 3}, {97, 4}};
    CheckAgainstReference(MethodBlock, layout, pattern, sizes, ReferenceBlock, 1);
    // Every instruction-set level through views of the same buffers.
    for (const auto level : kSimdLevels)
        CheckAgainstReference(MethodBlock, layout, pattern, sizes, ReferenceBlock, 1,
                              [&](uint32_t, const ImageDesc& s, ImageDesc& d) {
                                  const auto [from, to] = ContiguousViews(s, d, layout);
                                  orvex::BlockDemosaic(orvex::WholeFrame(from, to), level);
                              });
}

INSTANTIATE_TEST_SUITE_P(AllLayoutsAndPatterns, BlockLayouts,
                         testing::Combine(testing::ValuesIn(ColourLayouts()),
                                          testing::Values(RGGB, GRBG, GBRG, BGGR)),
                         LayoutPatternName);

struct CellCase {
    uint32_t pattern;
    uint32_t format;
    std::vector<uint8_t> mosaic;
    size_t w, h;
    std::vector<uint8_t> expected;
};

TEST(BlockCells, WorkedExamples) {
    const CellCase cases[] = {
        {RGGB, RGB24, {10, 20, 30, 40}, 2, 2, {10, 25, 40, 10, 25, 40, 10, 25, 40, 10, 25, 40}},
        {RGGB, BGR24, {10, 20, 30, 40}, 2, 2, {40, 25, 10, 40, 25, 10, 40, 25, 10, 40, 25, 10}},
        {GRBG, RGB24, {10, 20, 30, 40}, 2, 2, {20, 25, 30, 20, 25, 30, 20, 25, 30, 20, 25, 30}},
        {GBRG, RGB24, {10, 20, 30, 40}, 2, 2, {30, 25, 20, 30, 25, 20, 30, 25, 20, 30, 25, 20}},
        {BGGR, RGB24, {10, 20, 30, 40}, 2, 2, {40, 25, 10, 40, 25, 10, 40, 25, 10, 40, 25, 10}},
        // Greens 21 and 30 floor to 25.
        {RGGB, RGB24, {1, 21, 30, 2}, 2, 2, {1, 25, 2, 1, 25, 2, 1, 25, 2, 1, 25, 2}},
        // 3 x 2: column 2 borrows blue and a green from column 1.
        {RGGB,
         RGB24,
         {1, 2, 3, 4, 5, 6},
         3,
         2,
         {1, 3, 5, 1, 3, 5, 3, 4, 5, 1, 3, 5, 1, 3, 5, 3, 4, 5}},
        // 2 x 3: row 2 borrows blue and a green from row 1.
        {RGGB,
         RGB24,
         {1, 2, 3, 4, 5, 6},
         2,
         3,
         {1, 2, 4, 1, 2, 4, 1, 2, 4, 1, 2, 4, 5, 4, 4, 5, 4, 4}},
    };
    for (const CellCase& c : cases) {
        std::vector<uint8_t> out(c.expected.size(), 0);
        ImageDesc src =
            MakeDesc(const_cast<uint8_t*>(c.mosaic.data()), Bayer8, c.w, c.h, 8, c.pattern);
        ImageDesc dst = MakeDesc(out.data(), c.format, 0, 0, 0, 0);
        Orvex_BayerToRgb(MethodBlock, &src, &dst);
        EXPECT_EQ(out, c.expected) << "pattern " << c.pattern << " " << c.w << "x" << c.h;
    }
}

TEST(BlockCells, SixteenBitExtremesAndPlanarOffsets) {
    // 1000, 2001 / 3000, 4000 as GBRG into PlanarRGB48 of 2 x 2.
    uint8_t mosaic[8];
    const uint32_t values[4] = {1000, 2001, 3000, 4000};
    for (size_t i = 0; i < 4; ++i) Store16(mosaic, i, values[i]);
    uint8_t planes[24] = {};
    ImageDesc src = MakeDesc(mosaic, Bayer16, 2, 2, 12, GBRG);
    ImageDesc dst = MakeDesc(planes, PlanarRGB48, 0, 0, 0, 0);
    Orvex_BayerToRgb(MethodBlock, &src, &dst);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Load16(planes, i), 3000u);
        EXPECT_EQ(Load16(planes, 4 + i), 2500u);
        EXPECT_EQ(Load16(planes, 8 + i), 2001u);
    }

    // Two greens of 65535 keep 65535.
    for (size_t i = 0; i < 4; ++i) Store16(mosaic, i, 65535);
    uint8_t rgb48[24] = {};
    dst = MakeDesc(rgb48, RGB48, 0, 0, 0, 0);
    src.bayerPattern = RGGB;
    Orvex_BayerToRgb(MethodBlock, &src, &dst);
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(Load16(rgb48, i), 65535u);
}

TEST(BlockCells, WritesNothingOutsideItsContract) {
    struct Case {
        uint32_t w, h, pattern;
    } const cases[] = {{1, 4, RGGB},     {4, 1, RGGB}, {0, 4, RGGB},       {65536, 2, RGGB},
                       {4, 65537, GRBG}, {4, 4, 4},    {4, 4, 0xFFFFFFFFu}};
    for (const Case& c : cases) {
        const uint32_t size = Orvex_CalcImageSize(BGRA32, c.w, c.h);
        std::vector<uint8_t> mosaic(size_t(c.w) * c.h, 7);
        GuardedBuffer out(size);
        ImageDesc src = MakeDesc(mosaic.data(), Bayer8, c.w, c.h, 8, c.pattern);
        ImageDesc dst = MakeDesc(out.data(), BGRA32, 0, 0, 0, 0);
        Orvex_BayerToRgb(MethodBlock, &src, &dst);
        EXPECT_EQ(out.Payload(), std::vector<uint8_t>(size, kCanary)) << c.w << "x" << c.h;
        EXPECT_TRUE(out.GuardsIntact());
    }
}

TEST(BlockCells, ImageWiderThanTheSizeRuleCanCountWritesNothing) {
    // 3 x width x height overflows 32 bits: the buffer the rule sizes would be
    // far smaller than the image, so nothing may be written.
    const uint32_t w = 32768, h = 43691;  // 3 x w x h wraps to 32768
    uint8_t mosaic[16] = {};
    GuardedBuffer out(Orvex_CalcImageSize(PlanarRGB24, w, h));
    ImageDesc src = MakeDesc(mosaic, Bayer8, w, h, 8, RGGB);
    ImageDesc dst = MakeDesc(out.data(), PlanarRGB24, 0, 0, 0, 0);
    Orvex_BayerToRgb(MethodBlock, &src, &dst);
    EXPECT_TRUE(out.GuardsIntact());
    EXPECT_EQ(out.Payload(), std::vector<uint8_t>(out.size(), kCanary));
}

// Three-byte 8-bit outputs of 4 MiB and more are staged and streamed past
// the caches; odd sizes put the rows at every alignment and leave a last
// column and row for the plain stores.
TEST(BlockCells, LargeOutputsMatchTheReference) {
    const LayoutRef* bgr = nullptr;
    const LayoutRef* rgb = nullptr;
    for (const LayoutRef& l : ColourLayouts()) {
        if (l.format == BGR24) bgr = &l;
        if (l.format == RGB24) rgb = &l;
    }
    ASSERT_TRUE(bgr != nullptr && rgb != nullptr);
    CheckAgainstReference(MethodBlock, *bgr, RGGB, {{4099, 1367}}, ReferenceBlock, 3);
    CheckAgainstReference(MethodBlock, *rgb, GBRG, {{4099, 1367}}, ReferenceBlock, 5);
}

}  // namespace
