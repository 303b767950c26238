// Plane split, recombination and the two cubic drivers end to end, against
// the worked values and a plain reference of the whole method.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cubic/plane_recombine_whole.h"
#include "cubic/row_ring.h"
#include "legacy/cubic_export.h"
#include "methods/cubic/cubic_demosaic.h"
#include "methods/cubic/plane_recombine.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace orvex;
using namespace testsupport;

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

const std::vector<LayoutRef> kPackedLayouts = {ColourLayouts()[2], ColourLayouts()[3],
                                               ColourLayouts()[4], ColourLayouts()[5],
                                               ColourLayouts()[6]};

struct Converted {
    int32_t result;
    std::vector<uint8_t> bytes;
    bool guardsIntact;
};

// Through the export, or with `memory` through the export's cubic path,
// which then allocates from it.
Converted Convert(uint32_t method, const uint8_t* mosaic, uint32_t srcFormat, size_t w, size_t h,
                  uint32_t pattern, uint32_t dstFormat, uint16_t bitDepth, bool odd = false,
                  CubicMemory* memory = nullptr) {
    GuardedBuffer out(Orvex_CalcImageSize(dstFormat, w, h), odd);
    ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic), srcFormat, w, h, bitDepth, pattern);
    if (memory != nullptr) {
        const ImageDesc dst = MakeDesc(out.data(), dstFormat, w, h, bitDepth, 0);
        const int32_t result = RunCubicExport(method == MethodBicubicFixed, src, dst, *memory);
        return {result, out.Payload(), out.GuardsIntact()};
    }
    ImageDesc dst = MakeDesc(out.data(), dstFormat, 0, 0, 0, 0);
    const int32_t result = Orvex_BayerToRgb(method, &src, &dst);
    return {result, out.Payload(), out.GuardsIntact()};
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

// ---- The banded driver against the whole-plane routines. ----

// The conversion as a sequence of whole planes: split, ring passes with
// HorizontalPass and ShiftRing, plain vertical sums, RecombinePlanes.
std::vector<uint8_t> WholePlaneConversion(bool fixed, const uint8_t* mosaic, uint32_t srcFormat,
                                          uint32_t W, uint32_t H, uint32_t pattern, uint32_t format,
                                          uint16_t bitDepth) {
    RingState& s = ringState;
    int32_t* verticalIndex = nullptr;
    const auto pw = int32_t(W / 2), ph = int32_t(H / 2), w = int32_t(W), h = int32_t(H);
    ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic), srcFormat, W, H, bitDepth, pattern);
    PlaneImage* split[4] = {};
    PlaneImage* full[4] = {};
    EXPECT_TRUE(SplitBayerPlanes(src, split, pw, ph, W, H, pattern));
    EXPECT_TRUE(BuildSourceIndex(ringState.memory, s.horizontalIndex, pw, w));
    EXPECT_TRUE(BuildSourceIndex(ringState.memory, verticalIndex, ph, h));
    EXPECT_TRUE(fixed ? BuildCubicWeightsFixed(ringState.memory, s.horizontalWeightsFixed, pw, w)
                      : BuildCubicWeights(ringState.memory, s.horizontalWeights, pw, w));
    CubicWeightSet<float> vf{};
    CubicWeightSet<int32_t> vq{};
    EXPECT_TRUE(fixed ? BuildCubicWeightsFixed(ringState.memory, vq, ph, h)
                      : BuildCubicWeights(ringState.memory, vf, ph, h));
    EXPECT_TRUE(CreateRowRing(4, w, 1, 2));
    EXPECT_TRUE(CreatePlaneSet(full, w, h));
    PlaneImage records[4];
    for (int p = 0; p < 4; ++p) {
        records[p] = *full[p];
        const auto pass = fixed ? HorizontalPassFixed : HorizontalPass;
        for (int32_t row = -1; row <= 1; ++row) pass(*split[p], row, w, row + 2, 1, 2);
        int32_t last = -1;
        for (int32_t j = 0; j < h; ++j) {
            while (last < verticalIndex[j]) {
                (fixed ? ShiftRingFixed : ShiftRing)();
                pass(*split[p], last + 3, w, 3, 1, 2);
                ++last;
            }
            uint16_t* out = PlaneRow(records[p], uint16_t(j));
            const uint16_t* const* r = s.ring.rows;
            for (int32_t x = 1; x <= w; ++x) {
                if (fixed) {
                    const int32_t sum = r[0][x] * vq.table[3][j] + r[1][x] * vq.table[2][j] +
                                        r[2][x] * vq.table[1][j] + r[3][x] * vq.table[0][j];
                    out[x - 1] = FixedToSample16(sum);
                } else {
                    const double sum =
                        ((r[0][x] * double(vf.table[3][j]) + r[1][x] * double(vf.table[2][j])) +
                         r[2][x] * double(vf.table[1][j])) +
                        r[3][x] * double(vf.table[0][j]);
                    out[x - 1] = ToSample16(sum);
                }
            }
        }
    }
    std::vector<uint8_t> bytes(Orvex_CalcImageSize(format, W, H), kCanary);
    ImageDesc dst = MakeDesc(bytes.data(), format, W, H, bitDepth, 0);
    RecombinePlanes(dst, records, format, W, H, pattern);
    for (int p = 0; p < 4; ++p) {
        ReleasePlane(split[p]);
        ReleasePlane(full[p]);
        ringState.memory.Free(vf.table[p]);
        ringState.memory.Free(vq.table[p]);
    }
    ringState.memory.Free(verticalIndex);
    ReleaseRingState();
    return bytes;
}

TEST(CubicDrivers, BandedConversionEqualsTheWholePlaneRoutines) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{130, 70}, {77, 41}, {64, 3}, {3, 64}};
    uint32_t seed = 70;
    for (const auto& [w, h] : sizes) {
        for (const uint32_t srcFormat : {Bayer8, Bayer16}) {
            std::vector<uint8_t> mosaic(size_t(w) * h * 2);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            for (const uint32_t format : {BGR24, RGB48, ARGB32}) {
                const uint32_t pattern = seed % 4;
                for (const bool fixed : {false, true}) {
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " format " << format
                                                    << (fixed ? " fixed" : " float"));
                    const Converted banded =
                        Convert(fixed ? MethodBicubicFixed : MethodBicubicFloat, mosaic.data(),
                                srcFormat, w, h, pattern, format, 12);
                    ASSERT_EQ(banded.result, 0);
                    ASSERT_EQ(banded.bytes, WholePlaneConversion(fixed, mosaic.data(), srcFormat, w,
                                                                 h, pattern, format, 12));
                }
            }
        }
    }
}

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

// ---- Split and recombination on their own. ----

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

// ---- Failures, allocation seam and the busy gate. ----

TEST(CubicDrivers, RejectsWhatItCannotConvert) {
    struct Case {
        const char* what;
        uint32_t srcFormat, dstFormat, w, h, pattern;
    } const cases[] = {
        {"mono source", Mono8, RGB24, 8, 8, RGGB},
        {"raw source", Raw16, RGB48, 8, 8, RGGB},
        {"planar destination", Bayer8, PlanarRGB24, 8, 8, RGGB},
        {"planar 48 destination", Bayer16, PlanarRGB48, 8, 8, RGGB},
        {"mosaic destination", Bayer8, Bayer8, 8, 8, RGGB},
        {"unknown destination", Bayer8, 13, 8, 8, RGGB},
        {"pattern 4", Bayer8, RGB24, 8, 8, 4},
        {"width 1", Bayer8, RGB24, 1, 8, RGGB},
        {"height 1", Bayer8, RGB24, 8, 1, RGGB},
        {"width 32768", Bayer8, RGB24, 32768, 2, RGGB},
        {"height 65536", Bayer8, RGB24, 2, 65536, RGGB},
        {"size rule wraps", Bayer8, RGB48, 32767, 30000, RGGB},
    };
    std::vector<uint8_t> mosaic(2 * 65536 * 2, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
            const uint32_t size =
                c.w * c.h <= 65536 * 2 ? Orvex_CalcImageSize(c.dstFormat, c.w, c.h) : 64;
            GuardedBuffer out(size);
            ImageDesc src = MakeDesc(mosaic.data(), c.srcFormat, c.w, c.h, 8, c.pattern);
            ImageDesc dst = MakeDesc(out.data(), c.dstFormat, 0, 0, 0, 0);
            EXPECT_EQ(Orvex_BayerToRgb(method, &src, &dst), kCubicFailed);
            EXPECT_EQ(out.Payload(), std::vector<uint8_t>(size, kCanary));
            EXPECT_EQ(CubicGate().load(), 0);
            // Refused before anything is allocated.
            CubicMemory memory;
            EXPECT_EQ(RunCubicExport(method == MethodBicubicFixed, src, dst, memory), kCubicFailed);
            EXPECT_EQ(memory.calls(), 0);
        }
    }
}

TEST(CubicDrivers, EveryAllocationFailureLeavesNothingBehind) {
    const size_t w = 9, h = 6;
    std::vector<uint8_t> mosaic(w * h * 2);
    FillRandom(mosaic.data(), mosaic.size(), 99);
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        CubicMemory counted;
        const Converted good =
            Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12, false, &counted);
        EXPECT_EQ(good.bytes,
                  Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12).bytes);
        EXPECT_EQ(counted.live(), 0);
        const int allocations = counted.calls();
        ASSERT_GT(allocations, 20);
        for (int k = 1; k <= allocations; ++k) {
            SCOPED_TRACE(k);
            CubicMemory failing(k);
            const Converted failed =
                Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12, false, &failing);
            EXPECT_EQ(failed.result, kCubicFailed);
            EXPECT_EQ(failed.bytes, std::vector<uint8_t>(good.bytes.size(), kCanary));
            EXPECT_EQ(failing.live(), 0);
        }
    }
}

TEST(CubicDrivers, WorkingMemoryStaysSmallForLargeFrames) {
    const size_t w = 4096, h = 3072;
    std::vector<uint8_t> mosaic(w * h * 2, 0x11);
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        CubicMemory memory;
        const Converted c =
            Convert(method, mosaic.data(), Bayer16, w, h, RGGB, RGB48, 12, false, &memory);
        EXPECT_EQ(c.result, 0);
        EXPECT_LE(memory.bytesRequested(), size_t(16) << 20);
    }
}

TEST(CubicDrivers, ConcurrentConversionsWaitTheirTurn) {
    const size_t w = 64, h = 48;
    std::vector<uint8_t> a(w * h), b(w * h);
    FillRandom(a.data(), a.size(), 1);
    FillRandom(b.data(), b.size(), 2);
    const auto expectA = Convert(MethodBicubicFloat, a.data(), Bayer8, w, h, RGGB, BGR24, 8);
    const auto expectB = Convert(MethodBicubicFixed, b.data(), Bayer8, w, h, BGGR, RGB24, 8);
    Converted gotA, gotB;
    std::thread ta(
        [&] { gotA = Convert(MethodBicubicFloat, a.data(), Bayer8, w, h, RGGB, BGR24, 8); });
    std::thread tb(
        [&] { gotB = Convert(MethodBicubicFixed, b.data(), Bayer8, w, h, BGGR, RGB24, 8); });
    ta.join();
    tb.join();
    EXPECT_EQ(gotA.bytes, expectA.bytes);
    EXPECT_EQ(gotB.bytes, expectB.bytes);
    EXPECT_EQ(CubicGate().load(), 0);
}

// Each conversion owns its plan: many run at once, past the exports' gate,
// and give the bytes they give alone.
TEST(CubicDrivers, PlansRunConcurrently) {
    const size_t w = 150, h = 90;
    std::vector<uint8_t> mosaic(w * h * 2);
    FillRandom(mosaic.data(), mosaic.size(), 3);
    struct Job {
        uint32_t method, format, pattern;
        Converted expected, got;
    };
    std::vector<Job> jobs;
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed})
        for (const uint32_t format : {BGR24, RGB48, BGRA32})
            jobs.push_back({method, format, uint32_t(jobs.size() % 4), {}, {}});
    for (Job& j : jobs)
        j.expected = Convert(j.method, mosaic.data(), Bayer16, w, h, j.pattern, j.format, 12);
    std::vector<std::thread> threads;
    for (Job& j : jobs)
        threads.emplace_back([&mosaic, &j, w, h] {
            CubicMemory memory;
            j.got = Convert(j.method, mosaic.data(), Bayer16, w, h, j.pattern, j.format, 12, false,
                            &memory);
        });
    for (std::thread& t : threads) t.join();
    for (const Job& j : jobs) EXPECT_EQ(j.got.bytes, j.expected.bytes);
}

TEST(CubicDrivers, TheGateHoldsCubicButNotTheOtherMethods) {
    const size_t w = 8, h = 8;
    std::vector<uint8_t> mosaic(w * h, 50);
    CubicGate() = 1;  // a conversion is running

    // Block and bilinear do not wait for it.
    for (const uint32_t method : {MethodBlock, MethodBilinear})
        EXPECT_EQ(Convert(method, mosaic.data(), Bayer8, w, h, RGGB, RGB24, 8).result, 0);

    std::atomic<bool> finished{false};
    Converted got;
    std::thread waiter([&] {
        got = Convert(MethodBicubicFixed, mosaic.data(), Bayer8, w, h, RGGB, RGB24, 8);
        finished = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_FALSE(finished);
    CubicGate() = 0;
    waiter.join();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.bytes, std::vector<uint8_t>(w * h * 3, 50));
}

}  // namespace
