// The cubic methods end to end against a plain reference of the whole
// method and the worked values.
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

using Grid = std::vector<std::vector<uint32_t>>;

// ---- A plain reference of the cubic method, row by row without a ring. ----

struct RefTables {
    std::vector<int32_t> index;
    std::vector<double> w[4];  // as the library's weights, widened
};

RefTables Tables(int32_t in, int32_t out, bool fixed) {
    RefTables t;
    int32_t* index = nullptr;
    BuildSourceIndex(ringState.memory, index, in, out);
    t.index.assign(index, index + out);
    ringState.memory.Free(index);
    CubicWeightSet<float> f{};
    CubicWeightSet<int32_t> q{};
    if (fixed)
        BuildCubicWeightsFixed(ringState.memory, q, in, out);
    else
        BuildCubicWeights(ringState.memory, f, in, out);
    for (int i = 0; i < 4; ++i) {
        for (int32_t x = 0; x < out; ++x) t.w[i].push_back(fixed ? q.table[i][x] : f.table[i][x]);
        ringState.memory.Free(f.table[i]);
        ringState.memory.Free(q.table[i]);
    }
    return t;
}

uint32_t Sample(double sum, bool fixed) {
    if (fixed) {
        const int32_t v = static_cast<int32_t>(sum) >> 10;
        return v < 0 ? 0 : (v > 65535 ? 65535 : v);
    }
    if (sum < 1.1754943508222875e-38) return 0;
    const double f = static_cast<float>(sum);
    const double r = std::nearbyint(f);
    return r > 65535 ? 65535 : static_cast<uint32_t>(r);
}

// Horizontal enlargement of one row, in place from the right.
std::vector<uint32_t> RefRow(const std::vector<uint32_t>& in, const RefTables& t, bool fixed) {
    const size_t pw = in.size(), ow = t.index.size();
    std::vector<double> ring(ow + 3);
    ring[0] = in[0];
    for (size_t i = 0; i < pw; ++i) ring[i + 1] = in[i];
    ring[pw + 1] = ring[pw + 2] = in[pw - 1];
    for (size_t x = ow; x-- > 0;) {
        const size_t q = t.index[x] + 1;
        const double sum =
            fixed
                ? double(int32_t(ring[q + 1] * t.w[1][x] + ring[q + 2] * t.w[0][x] +
                                 ring[q - 1] * t.w[3][x] + ring[q] * t.w[2][x]))
                : ((ring[q + 1] * t.w[1][x] + ring[q + 2] * t.w[0][x]) + ring[q - 1] * t.w[3][x]) +
                      ring[q] * t.w[2][x];
        ring[x + 1] = Sample(sum, fixed);
    }
    return {ring.begin() + 1, ring.begin() + 1 + ow};
}

Grid RefEnlarge(const Grid& plane, size_t W, size_t H, bool fixed) {
    const auto ph = int32_t(plane.size()), pw = int32_t(plane[0].size());
    const RefTables th = Tables(pw, int32_t(W), fixed), tv = Tables(ph, int32_t(H), fixed);
    Grid rows;
    for (const auto& r : plane) rows.push_back(RefRow(r, th, fixed));
    auto row = [&](int32_t r) { return rows[r < 0 ? 0 : (r >= ph ? ph - 1 : r)]; };
    Grid out(H, std::vector<uint32_t>(W));
    for (size_t j = 0; j < H; ++j) {
        const int32_t s = tv.index[j];
        for (size_t x = 0; x < W; ++x) {
            const double a = row(s - 1)[x], b = row(s)[x], c = row(s + 1)[x], d = row(s + 2)[x];
            const double sum =
                fixed ? double(int32_t(a * tv.w[3][j] + b * tv.w[2][j] + c * tv.w[1][j] +
                                       d * tv.w[0][j]))
                      : ((a * tv.w[3][j] + b * tv.w[2][j]) + c * tv.w[1][j]) + d * tv.w[0][j];
            out[j][x] = Sample(sum, fixed);
        }
    }
    return out;
}

// Full-size planes R, B, Gr, Gb of a mosaic.
std::array<Grid, 4> RefPlanes(const Mosaic& m, uint32_t pattern, bool fixed) {
    std::array<Grid, 4> split;
    for (auto& p : split) p.assign(m.h / 2, std::vector<uint32_t>(m.w / 2));
    for (size_t y = 0; y < m.h / 2 * 2; ++y) {
        for (size_t x = 0; x < m.w / 2 * 2; ++x) {
            const char c = SiteColour(pattern, y, x);
            const bool redRow = SiteColour(pattern, y, x ^ 1) == 'R' || c == 'R';
            const int plane = c == 'R' ? 0 : c == 'B' ? 1 : redRow ? 2 : 3;
            split[plane][y / 2][x / 2] = m.At(y, x);
        }
    }
    std::array<Grid, 4> full;
    for (int p = 0; p < 4; ++p) full[p] = RefEnlarge(split[p], m.w, m.h, fixed);
    return full;
}

std::vector<uint8_t> RefRecombine(const std::array<Grid, 4>& P, uint32_t pattern,
                                  const LayoutRef& l, size_t W, size_t H, uint16_t bitDepth,
                                  std::vector<uint8_t> canvas) {
    const uint32_t maxValue = bitDepth >= 16 ? 65535 : (1u << bitDepth) - 1;
    // Planes read at the output column, by pattern: the others one to the left.
    static const bool kAtX[4][4] = {{1, 0, 0, 1}, {0, 1, 1, 0}, {1, 0, 1, 0}, {0, 1, 0, 1}};
    for (size_t y = 0; y < H; ++y) {
        const size_t py = l.format == RGB48 && y == 0 ? 1 : y;
        for (size_t x = 0; x < W; ++x) {
            const size_t px = x == 0 ? 1 : x;
            auto at = [&](int p) { return P[p][py][kAtX[pattern][p] ? px : px - 1]; };
            const uint32_t r = std::min(at(0), maxValue), b = std::min(at(1), maxValue);
            const uint32_t g = std::min((at(2) + at(3)) >> 1, maxValue);
            PutPixel(canvas.data(), l, W, H, x, y, r, g, b);
            if (l.alpha >= 0) canvas[SampleIndex(l, W, H, x, y, l.alpha)] = 255;
        }
    }
    return canvas;
}

class CubicLayouts : public testing::TestWithParam<LayoutPattern> {};

TEST_P(CubicLayouts, MatchesReferenceOnRandomMosaics) {
    const auto& [layout, pattern] = GetParam();
    const std::pair<size_t, size_t> sizes[] = {{2, 2}, {3, 3}, {4, 4},  {5, 5},   {6, 4},
                                               {7, 9}, {8, 8}, {16, 3}, {13, 22}, {2, 7}};
    uint32_t seed = 500;
    for (const auto& [w, h] : sizes) {
        for (const uint32_t srcFormat : {Bayer8, Bayer16}) {
            const size_t bytes = srcFormat == Bayer16 ? 2 : 1;
            GuardedBuffer mosaic(w * h * bytes, (w + h) % 2);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            const Mosaic m{w, h, bytes, mosaic.data()};
            const uint16_t depth = bytes == 2 ? 16 : 8;
            for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
                SCOPED_TRACE(testing::Message()
                             << w << "x" << h << " bytes " << bytes << " method " << method);
                const bool fixed = method == MethodBicubicFixed;
                const auto got = Convert(method, mosaic.data(), srcFormat, w, h, pattern,
                                         layout.format, depth, (w * h) % 2);
                ASSERT_EQ(got.result, 0);
                ASSERT_TRUE(got.guardsIntact);
                const auto expected =
                    RefRecombine(RefPlanes(m, pattern, fixed), pattern, layout, w, h, depth,
                                 std::vector<uint8_t>(got.bytes.size(), kCanary));
                ASSERT_EQ(got.bytes, expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PackedLayoutsAndPatterns, CubicLayouts,
                         testing::Combine(testing::ValuesIn(kPackedLayouts),
                                          testing::Values(RGGB, GRBG, GBRG, BGGR)),
                         LayoutPatternName);

// ---- Worked values. ----

// Output of a conversion to RGB24 with bitDepth 8, as rows of (R, G, B).
Grid RgbRows(const Converted& c, size_t w, size_t h, int channel) {
    Grid g(h, std::vector<uint32_t>(w));
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) g[y][x] = c.bytes[(y * w + x) * 3 + channel];
    return g;
}

TEST(CubicDrivers, FourByFourMosaicEnlargesEachPlane) {
    const uint8_t mosaic[16] = {10, 10, 20, 20, 10, 10, 20, 20, 30, 30, 40, 40, 30, 30, 40, 40};
    const Grid floatPlane = {
        {10, 15, 20, 21}, {20, 25, 30, 31}, {30, 35, 40, 41}, {32, 38, 42, 44}};
    const Grid fixedPlane = {
        {10, 15, 20, 21}, {20, 25, 30, 31}, {30, 35, 40, 41}, {32, 37, 42, 43}};
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        const Grid& P = method == MethodBicubicFloat ? floatPlane : fixedPlane;
        const Converted c = Convert(method, mosaic, Bayer8, 4, 4, RGGB, RGB24, 8);
        ASSERT_EQ(c.result, 0);
        // RGGB: R and Gb at the column, B and Gr one to the left; pixel 0 = pixel 1.
        Grid r(4, std::vector<uint32_t>(4)), g = r, b = r;
        for (size_t y = 0; y < 4; ++y)
            for (size_t x = 0; x < 4; ++x) {
                const size_t px = x == 0 ? 1 : x;
                r[y][x] = P[y][px];
                b[y][x] = P[y][px - 1];
                g[y][x] = (P[y][px] + P[y][px - 1]) >> 1;
            }
        EXPECT_EQ(RgbRows(c, 4, 4, 0), r);
        EXPECT_EQ(RgbRows(c, 4, 4, 1), g);
        EXPECT_EQ(RgbRows(c, 4, 4, 2), b);
    }
}

TEST(CubicDrivers, ConstantRowsAndColumns) {
    // A 2 x 8 mosaic whose plane rows are 10, 20, 30, 40 top to bottom.
    std::vector<uint8_t> tall(16);
    const uint8_t levels[4] = {10, 20, 30, 40};
    for (size_t y = 0; y < 8; ++y) tall[2 * y] = tall[2 * y + 1] = levels[y / 2];
    const std::vector<uint32_t> floatColumn = {10, 14, 20, 25, 30, 36, 40, 41};
    const std::vector<uint32_t> fixedColumn = {10, 13, 20, 25, 30, 36, 40, 41};
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        const Converted c = Convert(method, tall.data(), Bayer8, 2, 8, GBRG, RGB24, 8);
        const auto& column = method == MethodBicubicFloat ? floatColumn : fixedColumn;
        for (size_t y = 0; y < 8; ++y)
            for (size_t i = 0; i < 6; ++i) EXPECT_EQ(c.bytes[y * 6 + i], column[y]) << y;
    }

    // An 8 x 2 mosaic whose plane row is 10, 20, 30, 40: the horizontal pass
    // works in place, so the row differs from the column above at output 1.
    std::vector<uint8_t> wide(16);
    for (size_t x = 0; x < 8; ++x) wide[x] = wide[8 + x] = levels[x / 2];
    const std::vector<uint32_t> row = {10, 15, 20, 25, 30, 36, 40, 41};
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        const Converted c = Convert(method, wide.data(), Bayer8, 8, 2, RGGB, RGB24, 8);
        for (size_t x = 1; x < 8; ++x) EXPECT_EQ(c.bytes[x * 3], row[x]) << x;          // R at x
        for (size_t x = 1; x < 8; ++x) EXPECT_EQ(c.bytes[x * 3 + 2], row[x - 1]) << x;  // B
    }
}

TEST(CubicDrivers, OneSamplePlanesFillTheImage) {
    const uint8_t two[4] = {10, 20, 30, 40};
    const uint8_t three[9] = {10, 20, 99, 30, 40, 99, 99, 99, 99};
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        for (const auto& [mosaic, n] : {std::pair<const uint8_t*, size_t>{two, 2}, {three, 3}}) {
            const Converted c = Convert(method, mosaic, Bayer8, n, n, RGGB, RGB24, 8);
            ASSERT_EQ(c.result, 0);
            for (size_t i = 0; i < n * n; ++i) {
                EXPECT_EQ(c.bytes[3 * i], 10);
                EXPECT_EQ(c.bytes[3 * i + 1], 25);
                EXPECT_EQ(c.bytes[3 * i + 2], 40);
            }
        }
    }
}

}  // namespace
