// Cubic weight tables, source indices, the horizontal pass and the sample
// conversions, on the worked values of the method.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "cubic/row_ring.h"
#include "methods/cubic/cubic_weights.h"
#include "methods/cubic/row_kernels.h"
#include "test_support.h"

namespace {

using namespace orvex;

template <class T>
void FreeSet(CubicWeightSet<T>& set) {
    for (auto& t : set.table) {
        ringState.memory.Free(t);
        t = nullptr;
    }
}

struct PhaseCase {
    int32_t in, out, x;
    float w[4];
    int32_t fixed[4];
};

TEST(CubicWeights, WorkedPhases) {
    const PhaseCase cases[] = {
        {4, 8, 0, {0, 0, 1, 0}, {0, 0, 1024, 0}},
        {4, 8, 1, {-0.125f, 0.625f, 0.625f, -0.125f}, {-128, 640, 640, -128}},
        {3, 7, 1, {-0.1049563f, 0.5335277f, 0.7113703f, -0.1399417f}, {-107, 546, 728, -143}},
        {3, 7, 2, {-0.1049563f, 0.9620991f, 0.1603499f, -0.01749271f}, {-107, 985, 164, -17}},
        {2, 5, 1, {-0.096f, 0.496f, 0.744f, -0.144f}, {-98, 507, 761, -147}},
        {0, 3, 2, {0, 0, 1, 0}, {0, 0, 1024, 0}},
        {640, 1280, 1277, {-0.125f, 0.625f, 0.625f, -0.125f}, {-128, 640, 640, -128}},
    };
    for (const PhaseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in << "->" << c.out << " x=" << c.x);
        CubicWeightSet<float> f{};
        CubicWeightSet<int32_t> q{};
        ASSERT_TRUE(BuildCubicWeights(ringState.memory, f, c.in, c.out));
        ASSERT_TRUE(BuildCubicWeightsFixed(ringState.memory, q, c.in, c.out));
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(f.table[i][c.x], c.w[i], 1e-7);
            EXPECT_EQ(q.table[i][c.x], c.fixed[i]);
        }
        FreeSet(f);
        FreeSet(q);
    }
}

TEST(CubicWeights, FixedPhasesNeedNotSumTo1024) {
    struct Case {
        int32_t in, out, x, sum;
    } const cases[] = {{3, 7, 2, 1025}, {2, 5, 1, 1023}, {4, 8, 1, 1024}};
    for (const Case& c : cases) {
        CubicWeightSet<int32_t> q{};
        ASSERT_TRUE(BuildCubicWeightsFixed(ringState.memory, q, c.in, c.out));
        int32_t sum = 0;
        for (auto* t : q.table) sum += t[c.x];
        EXPECT_EQ(sum, c.sum) << c.in << "->" << c.out;
        FreeSet(q);
    }
}

TEST(CubicWeights, SourceIndexTables) {
    struct Case {
        int32_t in, out;
        std::vector<int32_t> index;
    } const cases[] = {
        {4, 8, {0, 0, 1, 1, 2, 2, 3, 3}},
        {3, 7, {0, 0, 0, 1, 1, 2, 2}},
        {2, 5, {0, 0, 0, 1, 1}},
        {0, 3, {0, 0, 0}},
        {1, 2, {0, 0}},
    };
    for (const Case& c : cases) {
        int32_t* index = nullptr;
        ASSERT_TRUE(BuildSourceIndex(ringState.memory, index, c.in, c.out));
        EXPECT_EQ(std::vector<int32_t>(index, index + c.out), c.index);
        ringState.memory.Free(index);
    }
}

TEST(CubicWeights, ReduceRatioDividesByTheGreatestCommonDivisor) {
    struct Case {
        int32_t out, in, reducedOut, reducedIn;
    } const cases[] = {
        {8, 4, 2, 1},       {7, 3, 7, 3},       {18, 12, 3, 2}, {5, 0, 5, 0},
        {5, 1, 5, 1},       {4096, 2048, 2, 1}, {1, 0, 1, 0},   {2047, 1023, 2047, 1023},
        {3072, 1536, 2, 1}, {36, 24, 3, 2}};
    for (const Case& c : cases) {
        int32_t out = c.out, in = c.in;
        ReduceRatio(out, in);
        EXPECT_EQ(out, c.reducedOut) << c.out << ":" << c.in;
        EXPECT_EQ(in, c.reducedIn) << c.out << ":" << c.in;
    }
}

TEST(CubicSamples, RoundToIntTiesToEven) {
    const std::pair<double, int32_t> cases[] = {
        {1.5, 2},         {2.5, 2},  {3.625, 4},
        {-1.5, -2},       {0.5, 0},  {0.49, 0},
        {65535.5, 65536}, {-0.5, 0}, {1e9 + 0.5, 1000000000}};
    for (const auto& [x, r] : cases) EXPECT_EQ(RoundToInt(x), r) << x;
}

TEST(CubicSamples, ConversionsClampBothEnds) {
    ringState.lowBound = 1.1754943508222875e-38;
    ringState.highBound = 3.4028234663852886e+38;
    const std::pair<double, uint16_t> floats[] = {
        {-25.0, 0},       {0.0, 0},         {1e-39, 0},        {0.5, 0},         {1.5, 2},
        {65534.5, 65534}, {65535.4, 65535}, {81918.75, 65535}, {65536.0, 65535}, {1e300, 65535}};
    for (const auto& [sum, v] : floats) EXPECT_EQ(ToSample16(sum), v) << sum;
    const std::pair<int32_t, uint16_t> fixed[] = {{-1, 0},
                                                  {-1024 * 25, 0},
                                                  {1023, 0},
                                                  {1024 * 7 + 1023, 7},
                                                  {65535 * 1024, 65535},
                                                  {81918 * 1024, 65535}};
    for (const auto& [sum, v] : fixed) EXPECT_EQ(FixedToSample16(sum), v) << sum;
}

// Sets up the horizontal tables and ring for one plane width, runs the pass
// on each plane row and returns the enlarged rows.
std::vector<std::vector<uint16_t>> EnlargeRows(const std::vector<std::vector<uint16_t>>& rows,
                                               int32_t outWidth, bool fixed,
                                               const std::vector<int32_t>& sourceRows) {
    const auto pw = static_cast<int32_t>(rows[0].size());
    const auto ph = static_cast<int32_t>(rows.size());
    ringState.lowBound = 1.1754943508222875e-38;
    ringState.highBound = 3.4028234663852886e+38;
    EXPECT_TRUE(BuildSourceIndex(ringState.memory, ringState.horizontalIndex, pw, outWidth));
    EXPECT_TRUE(
        fixed ? BuildCubicWeightsFixed(ringState.memory, ringState.horizontalWeightsFixed, pw,
                                       outWidth)
              : BuildCubicWeights(ringState.memory, ringState.horizontalWeights, pw, outWidth));
    EXPECT_TRUE(CreateRowRing(4, outWidth, 1, 2));
    PlaneImage* plane = CreatePlane(pw, ph);
    for (int32_t r = 0; r < ph; ++r) std::copy(rows[r].begin(), rows[r].end(), PlaneRow(*plane, r));
    std::vector<std::vector<uint16_t>> out;
    for (int32_t src : sourceRows) {
        (fixed ? HorizontalPassFixed : HorizontalPass)(*plane, src, outWidth, 3, 1, 2);
        const uint16_t* ring = ringState.ring.rows[3];
        out.emplace_back(ring + 1, ring + 1 + outWidth);
    }
    ReleasePlane(plane);
    ReleaseRingState();
    return out;
}

TEST(HorizontalPass, WorkedRows) {
    struct Case {
        std::vector<uint16_t> in;
        int32_t outWidth;
        std::vector<uint16_t> single, fixed;
    } const cases[] = {
        {{10, 20, 30, 40}, 8, {10, 15, 20, 25, 30, 36, 40, 41}, {10, 15, 20, 25, 30, 36, 40, 41}},
        {{1, 2, 3, 4}, 8, {1, 2, 2, 2, 3, 4, 4, 4}, {1, 1, 2, 2, 3, 3, 4, 4}},
        {{100, 0, 0, 100}, 8, {100, 50, 0, 0, 0, 50, 100, 112}, {100, 50, 0, 0, 0, 50, 100, 112}},
        // A sum above 65535 saturates instead of wrapping.
        {{0, 65535, 65535, 0},
         8,
         {0, 32768, 65535, 65535, 65535, 32768, 0, 0},
         {0, 32767, 65535, 65535, 65535, 32767, 0, 0}},
        {{10, 20, 30, 40},
         9,
         {10, 15, 18, 24, 27, 34, 37, 41, 41},
         {10, 14, 18, 24, 26, 33, 37, 40, 41}},
        {{77}, 2, {77, 77}, {77, 77}},
        {{77}, 3, {77, 77, 77}, {77, 77, 77}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnlargeRows({c.in}, c.outWidth, false, {0})[0], c.single);
        EXPECT_EQ(EnlargeRows({c.in}, c.outWidth, true, {0})[0], c.fixed);
    }
}

TEST(HorizontalPass, RowsOutsideThePlaneRepeatItsEdges) {
    const std::vector<std::vector<uint16_t>> rows = {{10, 20, 30}, {40, 50, 60}, {7, 8, 9}};
    for (bool fixed : {false, true}) {
        const auto out = EnlargeRows(rows, 6, fixed, {-1, 0, 2, 3, 100});
        EXPECT_EQ(out[0], out[1]);
        EXPECT_EQ(out[2], out[3]);
        EXPECT_EQ(out[2], out[4]);
        EXPECT_NE(out[0], out[2]);
    }
}

}  // namespace

namespace {

TEST(CubicSamples, VectorisableFormsEqualTheConversions) {
    ringState.lowBound = 1.1754943508222875e-38;
    ringState.highBound = 3.4028234663852886e+38;
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> any(-1000.0, 70000.0);
    auto check = [](double sum) {
        ASSERT_EQ(orvex::FloatSum16(sum, ringState.lowBound), orvex::ToSample16(sum)) << sum;
    };
    for (int64_t k = -64; k <= 65540 * 8; ++k) check(double(k) / 8);  // every tie and eighth
    for (int i = 0; i < 200000; ++i) check(any(rng));
    for (double s : {1e-39, 1.1754943508222875e-38, 65535.49999, 65535.5, 65536.0, 1e9}) check(s);
    // Phase 0.5 in integers, against the double-precision sum it replaces.
    CubicWeightSet<float> half{};
    ASSERT_TRUE(BuildCubicWeights(ringState.memory, half, 1, 2));
    const float* w[4] = {half.table[0] + 1, half.table[1] + 1, half.table[2] + 1,
                         half.table[3] + 1};
    ASSERT_TRUE(orvex::IsHalfPhase(*w[0], *w[1], *w[2], *w[3]));
    std::uniform_int_distribution<int32_t> sample(0, 65535), small(0, 40);
    for (int i = 0; i < 300000; ++i) {
        int32_t r[4];
        for (auto& v : r) v = i % 3 ? sample(rng) : (i % 2 ? small(rng) : 65535 - small(rng));
        const double sum = ((double(r[0]) * *w[3] + double(r[1]) * *w[2]) + double(r[2]) * *w[1]) +
                           double(r[3]) * *w[0];
        ASSERT_EQ(orvex::HalfPhaseSum16(r[0] + r[3], r[1] + r[2]), orvex::ToSample16(sum))
            << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    }
    FreeSet(half);
    for (int32_t sum : {-1, 0, 1023, 1024, 65535 * 1024 + 1023, 65536 * 1024, INT32_MAX, INT32_MIN})
        EXPECT_EQ(orvex::FixedSum16(sum), orvex::FixedToSample16(sum)) << sum;
}

}  // namespace

namespace {

// The banded pass (scratch for outputs 4 and up) against the plain in-place pass.
// Every vector width, down to the plain loops.
TEST(HorizontalPass, FastRowKernelMatchesThePlainPass) {
    std::mt19937 rng(17);
    for (const auto level : testsupport::kSimdLevels)
        for (const int32_t pw : {1, 2, 3, 5, 8, 17, 18, 33, 150}) {
            for (const int32_t ow : {2 * pw, 2 * pw + 1}) {
                for (const bool fixed : {false, true}) {
                    SCOPED_TRACE(testing::Message() << pw << "->" << ow << (fixed ? " fixed" : "")
                                                    << " level " << level);
                    const CubicRowKernels kernels = ChooseCubicRows(level);
                    std::vector<uint16_t> row(static_cast<size_t>(pw));
                    for (auto& v : row) v = rng() % 3 == 0 ? 65535 : uint16_t(rng());
                    const auto plain = EnlargeRows({row}, ow, fixed, {0})[0];

                    ASSERT_TRUE(
                        BuildSourceIndex(ringState.memory, ringState.horizontalIndex, pw, ow));
                    ASSERT_TRUE(fixed ? BuildCubicWeightsFixed(ringState.memory,
                                                               ringState.horizontalWeightsFixed, pw,
                                                               ow)
                                      : BuildCubicWeights(ringState.memory,
                                                          ringState.horizontalWeights, pw, ow));
                    std::vector<uint16_t> ring(static_cast<size_t>(ow) + 3),
                        scratch(static_cast<size_t>(ow));
                    // Plane samples 2l of a one-row mosaic: lay the row out at even columns.
                    std::vector<uint16_t> mosaic(2 * static_cast<size_t>(pw));
                    for (int32_t l = 0; l < pw; ++l) mosaic[2 * size_t(l)] = row[size_t(l)];
                    const MosaicPlane wide{reinterpret_cast<const uint8_t*>(mosaic.data()),
                                           ptrdiff_t(4 * size_t(pw)),
                                           2 * size_t(pw),
                                           true,
                                           0,
                                           0,
                                           pw,
                                           1};
                    LoadMosaicRow(wide, 0, ring.data(), 1, 2, kernels);
                    if (fixed)
                        EnlargeRowFixed(ring.data(), scratch.data(), ow, 1,
                                        ringState.horizontalIndex, ringState.horizontalWeightsFixed,
                                        kernels);
                    else
                        EnlargeRow(ring.data(), scratch.data(), ow, 1, ringState.horizontalIndex,
                                   ringState.horizontalWeights, kernels);
                    EXPECT_EQ(std::vector<uint16_t>(ring.begin() + 1, ring.begin() + 1 + ow),
                              plain);
                    ReleaseRingState();
                }
            }
        }
}

}  // namespace

namespace {

// The symmetric phase of the vertical pass at every vector width against its
// formula, on random samples of any 16-bit value: the 2x weights, weights
// that drive the sums past both limits, and the single-precision half phase.
TEST(VerticalPass, SymmetricRowsMatchTheFormula) {
    std::mt19937 rng(41);
    CubicWeightSet<int32_t> twice{};
    ASSERT_TRUE(BuildCubicWeightsFixed(ringState.memory, twice, 4, 8));
    const std::pair<int32_t, int32_t> weights[] = {
        {twice.table[0][1], twice.table[1][1]}, {-300, 900}, {1500, -200}, {-5000, 8000}};
    for (const auto level : testsupport::kSimdLevels) {
        const CubicRowKernels kernels = ChooseCubicRows(level);
        for (const auto& [w0, w1] : weights) {
            for (const size_t width : {1, 15, 16, 17, 40, 100}) {
                std::vector<uint16_t> rows[4];
                for (auto& r : rows) {
                    r.resize(width + 3);
                    for (auto& v : r) v = rng() % 4 == 0 ? 65535 : uint16_t(rng());
                }
                const uint16_t* ring[4] = {rows[0].data(), rows[1].data(), rows[2].data(),
                                           rows[3].data()};
                int32_t table[4][2] = {{0, w0}, {0, w1}, {0, w1}, {0, w0}};
                const CubicWeightSet<int32_t> set{{table[0], table[1], table[2], table[3]}};
                std::vector<uint16_t> out(width), half(width);
                VerticalRowFixed(out.data(), ring, width, 1, set, 1, kernels);
                // The single-precision half phase, exact in eighths.
                float eighths[4][2] = {{0, -0.125f}, {0, 0.625f}, {0, 0.625f}, {0, -0.125f}};
                const CubicWeightSet<float> halfPhase{
                    {eighths[0], eighths[1], eighths[2], eighths[3]}};
                VerticalRow(half.data(), ring, width, 1, halfPhase, 1, kernels);
                for (size_t x = 0; x < width; ++x) {
                    const int32_t outer = int32_t(ring[0][x + 1]) + ring[3][x + 1];
                    const int32_t inner = int32_t(ring[1][x + 1]) + ring[2][x + 1];
                    ASSERT_EQ(out[x], FixedSum16(outer * w0 + inner * w1))
                        << w0 << "," << w1 << " width " << width << " x " << x;
                    ASSERT_EQ(half[x], HalfPhaseSum16(outer, inner)) << width << " x " << x;
                }
            }
        }
    }
    FreeSet(twice);
}

// Plane rows read out of mosaic rows of both sample widths, at both column
// offsets, where the row ends one sample after the plane's last one or on
// it; the mosaic is sized exactly, so reads past its end are caught.
TEST(MosaicRows, LoadReadsEverySecondSampleWithinTheRow) {
    for (const auto level : testsupport::kSimdLevels) {
        const CubicRowKernels kernels = ChooseCubicRows(level);
        for (const bool wide : {false, true}) {
            for (const size_t mosaicWidth : {31, 32, 33, 64, 65, 70}) {
                for (const size_t offset : {0, 1}) {
                    const size_t rows = 3, bytes = wide ? 2 : 1;
                    std::vector<uint8_t> mosaic(mosaicWidth * rows * bytes);
                    testsupport::FillRandom(mosaic.data(), mosaic.size(), 7);
                    const auto pw = int32_t((mosaicWidth - offset + 1) / 2);
                    const MosaicPlane plane{mosaic.data(),
                                            ptrdiff_t(mosaicWidth * bytes),
                                            mosaicWidth,
                                            wide,
                                            0,
                                            offset,
                                            pw,
                                            2};
                    std::vector<uint16_t> ring(size_t(pw) + 3);
                    LoadMosaicRow(plane, 1, ring.data(), 1, 2, kernels);  // the last mosaic row
                    for (int32_t l = 0; l < pw; ++l) {
                        const size_t at = mosaicWidth * 2 + offset + 2 * size_t(l);
                        const uint16_t expected =
                            wide ? testsupport::Load16(mosaic.data(), at) : mosaic[at];
                        ASSERT_EQ(ring[size_t(l) + 1], expected)
                            << mosaicWidth << " +" << offset << " wide " << wide << " l " << l;
                    }
                }
            }
        }
    }
}

}  // namespace
