// The cubic method's row passes: the plain horizontal pass on worked rows,
// and the row kernels at every level against the plain passes and formulas:
// the banded horizontal pass, the symmetric vertical phase and the mosaic
// row loads.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "cubic/row_ring.h"
#include "methods/cubic/cubic_weights.h"
#include "methods/cubic/row_kernels.h"
#include "test_support.h"

namespace {

using namespace orvex;

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
    FreeWeightSet(twice);
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
