// The cubic method's plane split and recombination on their own: cell
// positions, the pattern's columns, bit-depth limits, the vector rows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cubic/plane_recombine_whole.h"
#include "cubic/row_ring.h"
#include "cubic_conversions.h"
#include "legacy/cubic_export.h"
#include "methods/cubic/cubic_demosaic.h"
#include "methods/cubic/plane_recombine.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace orvex;
using namespace testsupport;
using namespace cubic_test;

TEST(BayerPlaneSplit, CellPositionsGoToTheirPlanes) {
    struct Case {
        uint32_t pattern;
        uint16_t r, b, gr, gb;
    } const cases[] = {{RGGB, 10, 40, 20, 30},
                       {BGGR, 40, 10, 30, 20},
                       {GRBG, 20, 30, 10, 40},
                       {GBRG, 30, 20, 40, 10}};
    const uint8_t mosaic[4] = {10, 20, 30, 40};
    for (const Case& c : cases) {
        PlaneImage* set[4] = {};
        ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic), Bayer8, 2, 2, 8, c.pattern);
        ASSERT_TRUE(SplitBayerPlanes(src, set, 1, 1, 2, 2, c.pattern));
        EXPECT_EQ(PlaneRow(*set[PlaneR], 0)[0], c.r);
        EXPECT_EQ(PlaneRow(*set[PlaneB], 0)[0], c.b);
        EXPECT_EQ(PlaneRow(*set[PlaneGr], 0)[0], c.gr);
        EXPECT_EQ(PlaneRow(*set[PlaneGb], 0)[0], c.gb);
        // A copy of a record shares its rows.
        PlaneImage copy = *set[PlaneR];
        PlaneRow(copy, 0)[0] = 7;
        EXPECT_EQ(PlaneRow(*set[PlaneR], 0)[0], 7);
        for (auto* p : set) ReleasePlane(p);
    }
    PlaneImage* set[4] = {};
    ImageDesc mono = MakeDesc(const_cast<uint8_t*>(mosaic), Mono8, 2, 2, 8, RGGB);
    EXPECT_FALSE(SplitBayerPlanes(mono, set, 1, 1, 2, 2, RGGB));
    for (auto* p : set) EXPECT_EQ(p, nullptr);
}

struct PlaneSet {
    PlaneImage* planes[4] = {};
    PlaneImage records[4];
    PlaneSet(size_t w, size_t h, uint16_t fill) {
        EXPECT_TRUE(CreatePlaneSet(planes, int32_t(w), int32_t(h)));
        for (int p = 0; p < 4; ++p) {
            records[p] = *planes[p];
            for (size_t y = 0; y < h; ++y) std::fill_n(PlaneRow(records[p], y), w, fill);
        }
    }
    ~PlaneSet() {
        for (auto* p : planes) ReleasePlane(p);
    }
    void Set(int plane, size_t x, size_t y, uint16_t v) { PlaneRow(records[plane], y)[x] = v; }
};

TEST(RecombinePlanes, ReadsPlanesOneColumnApartByPattern) {
    // Pixel (5, 2) of RGB24 under RGGB and GRBG.
    for (const uint32_t pattern : {RGGB, GRBG}) {
        PlaneSet s(8, 4, 0);
        for (size_t x = 0; x < 8; ++x) {
            s.Set(PlaneR, x, 2, uint16_t(10 + x));
            s.Set(PlaneB, x, 2, uint16_t(30 + x));
            s.Set(PlaneGr, x, 2, uint16_t(50 + 2 * x));
            s.Set(PlaneGb, x, 2, uint16_t(80 + 2 * x));
        }
        std::vector<uint8_t> out(8 * 4 * 3);
        ImageDesc dst = MakeDesc(out.data(), RGB24, 8, 4, 8, 0);
        RecombinePlanes(dst, s.records, RGB24, 8, 4, pattern);
        const uint8_t* px = &out[(2 * 8 + 5) * 3];
        if (pattern == RGGB) {
            EXPECT_EQ(px[0], 15);
            EXPECT_EQ(px[1], (58 + 90) >> 1);
            EXPECT_EQ(px[2], 34);
        } else {
            EXPECT_EQ(px[0], 14);
            EXPECT_EQ(px[1], (60 + 88) >> 1);
            EXPECT_EQ(px[2], 35);
        }
    }
}

TEST(RecombinePlanes, LimitsByBitDepth) {
    struct Case {
        uint32_t format;
        uint16_t bitDepth, value;
        uint32_t stored;
    } const cases[] = {
        {RGB24, 8, 300, 255},      {BGR24, 8, 300, 255},    {RGB24, 12, 1096, 72},
        {RGB24, 12, 5000, 255},    {RGB48, 10, 3577, 1023}, {RGB48, 16, 3577, 3577},
        {RGB48, 16, 65535, 65535}, {RGB48, 0, 3577, 0},     {RGB48, 40, 65535, 65535}};
    for (const Case& c : cases) {
        PlaneSet s(3, 3, c.value);
        const bool wide = c.format == RGB48;
        std::vector<uint8_t> out(3 * 3 * (wide ? 6 : 3));
        ImageDesc dst = MakeDesc(out.data(), c.format, 3, 3, c.bitDepth, 0);
        RecombinePlanes(dst, s.records, c.format, 3, 3, RGGB);
        for (size_t i = 0; i < 27; ++i)
            EXPECT_EQ(wide ? Load16(out.data(), i) : out[i], c.stored) << c.format << " " << i;
    }
    // The green mean truncates: 3 and 4 give 3.
    PlaneSet s(2, 2, 3);
    for (size_t x = 0; x < 2; ++x)
        for (size_t y = 0; y < 2; ++y) s.Set(PlaneGb, x, y, 4);
    uint8_t out[12];
    ImageDesc dst = MakeDesc(out, RGB24, 2, 2, 8, 0);
    RecombinePlanes(dst, s.records, RGB24, 2, 2, RGGB);
    EXPECT_EQ(out[1], 3);
}

// Every kernel width against the plain loop, on random samples of any
// 16-bit value (limits and low bytes both matter) and widths across vectors.
TEST(RecombinePlanes, VectorRowsMatchThePlainLoop) {
    std::mt19937 rng(31);
    for (const size_t w : {17, 33, 70, 101}) {
        PlaneSet s(w, 3, 0);
        for (int p = 0; p < 4; ++p)
            for (size_t y = 0; y < 3; ++y)
                for (size_t x = 0; x < w; ++x) s.Set(p, x, y, uint16_t(rng() >> (rng() % 12)));
        for (const uint32_t format : {RGB24, BGR24}) {
            for (const uint16_t depth : {8, 12, 16}) {
                for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                    std::vector<uint8_t> plain(w * 9), vector(w * 9);
                    ImageDesc dst = MakeDesc(plain.data(), format, w, 3, depth, pattern);
                    RecombinePlanes(dst, s.records, format, w, 3, pattern, orvex::kPortable);
                    for (const auto level : kSimdLevels) {
                        dst.data = vector.data();
                        RecombinePlanes(dst, s.records, format, w, 3, pattern, level);
                        ASSERT_EQ(vector, plain)
                            << w << " " << format << " " << depth << " " << pattern << " " << level;
                    }
                }
            }
        }
    }
}

TEST(RecombinePlanes, AlphaColumnZeroAndRgb48RowZero) {
    for (const LayoutRef& l : kPackedLayouts) {
        for (const uint32_t pattern : {RGGB, GRBG, GBRG, BGGR}) {
            PlaneSet s(5, 4, 0);
            uint16_t v = 1;
            for (int p = 0; p < 4; ++p)
                for (size_t y = 0; y < 4; ++y)
                    for (size_t x = 0; x < 5; ++x) s.Set(p, x, y, v++ % 251);
            const size_t pixel = l.samplesPerPixel * l.sampleBytes;
            std::vector<uint8_t> out(5 * 4 * pixel, 0);
            ImageDesc dst = MakeDesc(out.data(), l.format, 5, 4, 8, 0);
            RecombinePlanes(dst, s.records, l.format, 5, 4, pattern);
            for (size_t y = 0; y < 4; ++y) {
                const uint8_t* row = &out[y * 5 * pixel];
                EXPECT_TRUE(std::equal(row, row + pixel, row + pixel)) << l.name;
                for (size_t x = 0; l.alpha >= 0 && x < 5; ++x)
                    EXPECT_EQ(row[x * pixel + l.alpha], 255);
            }
            const bool rowZeroCopiesRowOne = std::equal(&out[0], &out[5 * pixel], &out[5 * pixel]);
            EXPECT_EQ(rowZeroCopiesRowOne, l.format == RGB48) << l.name;
        }
    }
}

}  // namespace
