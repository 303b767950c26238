// Cubic weight tables, source indices and the sample conversions, on the
// worked values of the method.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "cubic/row_ring.h"
#include "methods/cubic/cubic_weights.h"
#include "methods/cubic/row_kernels.h"
#include "test_support.h"

namespace {

using namespace orvex;

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
        FreeWeightSet(f);
        FreeWeightSet(q);
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
        FreeWeightSet(q);
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
    FreeWeightSet(half);
    for (int32_t sum : {-1, 0, 1023, 1024, 65535 * 1024 + 1023, 65536 * 1024, INT32_MAX, INT32_MIN})
        EXPECT_EQ(orvex::FixedSum16(sum), orvex::FixedToSample16(sum)) << sum;
}

}  // namespace
