// The gradient-corrected demosaic against the paper's four 5 x 5 kernels
// applied one pixel at a time, at every instruction-set level; hand-computed
// pixels and a flat field.
#include <gtest/gtest.h>

#include <vector>

#include "methods/mhc/mhc_demosaic.h"
#include "test_support.h"

namespace {

using namespace orvex;
using namespace testsupport;

// The kernels as printed (eighths for green, sixteenths for red and blue).
constexpr int kGreen[5][5] = {
    {0, 0, -1, 0, 0}, {0, 0, 2, 0, 0}, {-1, 2, 4, 2, -1}, {0, 0, 2, 0, 0}, {0, 0, -1, 0, 0}};
constexpr int kRowColour[5][5] = {
    {0, 0, 1, 0, 0}, {0, -2, 0, -2, 0}, {-2, 8, 10, 8, -2}, {0, -2, 0, -2, 0}, {0, 0, 1, 0, 0}};
constexpr int kColumnColour[5][5] = {
    {0, 0, -2, 0, 0}, {0, -2, 8, -2, 0}, {1, 0, 10, 0, 1}, {0, -2, 8, -2, 0}, {0, 0, -2, 0, 0}};
constexpr int kDiagonal[5][5] = {
    {0, 0, -3, 0, 0}, {0, 4, 0, 4, 0}, {-3, 0, 12, 0, -3}, {0, 4, 0, 4, 0}, {0, 0, -3, 0, 0}};

// Reflection about the edge sample, repeated for tiny images.
size_t Mirror(ptrdiff_t i, size_t n) {
    while (i < 0 || i >= ptrdiff_t(n)) i = i < 0 ? -i : 2 * ptrdiff_t(n) - 2 - i;
    return size_t(i);
}

// R, G, B of every pixel, by the kernels.
std::vector<uint32_t> Reference(const std::vector<uint32_t>& m, size_t w, size_t h,
                                uint32_t pattern, int maxValue) {
    auto at = [&](ptrdiff_t x, ptrdiff_t y) { return int(m[Mirror(y, h) * w + Mirror(x, w)]); };
    auto apply = [&](const int(&k)[5][5], size_t x, size_t y, int shift) {
        int s = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                s += k[dy + 2][dx + 2] * at(ptrdiff_t(x) + dx, ptrdiff_t(y) + dy);
        const int v = (s + (1 << (shift - 1))) >> shift;
        return uint32_t(v < 0 ? 0 : v > maxValue ? maxValue : v);
    };
    std::vector<uint32_t> out(3 * w * h);
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const bool redRow = (y & 1) == (pattern >> 1), redColumn = (x & 1) == (pattern & 1);
            uint32_t* px = &out[3 * (y * w + x)];
            const uint32_t own = uint32_t(at(ptrdiff_t(x), ptrdiff_t(y)));
            if (redRow == redColumn) {  // a red or blue site
                const int self = redRow ? 0 : 2;
                px[self] = own;
                px[1] = apply(kGreen, x, y, 3);
                px[2 - self] = apply(kDiagonal, x, y, 4);
            } else {  // green: the row's colour left and right, the other above and below
                px[1] = own;
                px[redRow ? 0 : 2] = apply(kRowColour, x, y, 4);
                px[redRow ? 2 : 0] = apply(kColumnColour, x, y, 4);
            }
        }
    return out;
}

std::vector<uint32_t> Convert(const std::vector<uint32_t>& m, size_t w, size_t h, uint32_t pattern,
                              uint32_t bits, SimdFeatures level) {
    const bool wide = bits > 8;
    std::vector<uint8_t> mosaic(w * h * (wide ? 2 : 1)), rgb(w * h * 3 * (wide ? 2 : 1));
    for (size_t i = 0; i < w * h; ++i)
        wide ? Store16(mosaic.data(), i, m[i]) : void(mosaic[i] = uint8_t(m[i]));
    const SourceView src{
        mosaic.data(), ptrdiff_t(w * (wide ? 2 : 1)),           0,      uint32_t(w),
        uint32_t(h),   wide ? kFormatMosaic16 : kFormatMosaic8, pattern};
    const ImageView dst{rgb.data(),  ptrdiff_t(w * 3 * (wide ? 2 : 1)),  0,      uint32_t(w),
                        uint32_t(h), wide ? kFormatRgb48 : kFormatRgb24, pattern};
    Conversion job = WholeFrame(src, dst, (1u << bits) - 1);
    job.pack = {true, 0, bits};
    MhcMemory memory;
    PrepareMhc(job, memory);
    MhcDemosaic(job, memory, level);
    std::vector<uint32_t> out(3 * w * h);
    for (size_t i = 0; i < out.size(); ++i) out[i] = wide ? Load16(rgb.data(), i) : rgb[i];
    return out;
}

TEST(Mhc, MatchesThePapersKernelsAtEveryLevel) {
    uint32_t seed = 1;
    for (const auto level : kSimdLevels)
        for (const auto& [w, h] :
             {std::pair<size_t, size_t>{2, 2}, {3, 5}, {8, 6}, {17, 3}, {33, 7}, {64, 4}, {300, 3}})
            for (const uint32_t bits : {8u, 12u, 16u})
                for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                    std::vector<uint8_t> noise(w * h * 2);
                    FillRandom(noise.data(), noise.size(), seed++);
                    std::vector<uint32_t> m(w * h);
                    for (size_t i = 0; i < m.size(); ++i)
                        m[i] = Load16(noise.data(), i) >> (16 - bits);
                    ASSERT_EQ(Convert(m, w, h, pattern, bits, level),
                              Reference(m, w, h, pattern, (1 << bits) - 1))
                        << w << "x" << h << " bits " << bits << " pattern " << pattern << " level "
                        << level;
                }
}

// Regions at odd and even offsets, as wide as one vector step and more, at
// every level: the whole frame's pixels, and nothing written around them.
TEST(Mhc, RegionsAtEveryLevelAreTheWholeFramesPixels) {
    struct Region {
        uint32_t x, y, w, h;
    };
    const size_t w = 75, h = 7;
    const Region regions[] = {{1, 1, 17, 4}, {2, 0, 33, 7}, {3, 2, 70, 3}, {0, 5, 75, 2}};
    uint32_t seed = 90;
    for (const uint32_t bits : {8u, 12u})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            const size_t bytes = bits > 8 ? 2 : 1;
            std::vector<uint8_t> mosaic(w * h * bytes);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            std::vector<uint32_t> m(w * h);
            for (size_t i = 0; i < m.size(); ++i)
                m[i] = bytes == 2 ? Load16(mosaic.data(), i) >> 4 : mosaic[i];
            const std::vector<uint32_t> whole = Reference(m, w, h, pattern, (1 << bits) - 1);
            for (size_t i = 0; bytes == 2 && i < m.size(); ++i) Store16(mosaic.data(), i, m[i]);
            const SourceView src{
                mosaic.data(), ptrdiff_t(w * bytes), 0,
                uint32_t(w),   uint32_t(h),          bytes == 2 ? kFormatMosaic16 : kFormatMosaic8,
                pattern};
            for (const Region& r : regions)
                for (const auto level : kSimdLevels) {
                    GuardedBuffer out(size_t(r.w) * r.h * 3 * bytes);
                    const ImageView dst{out.data(), ptrdiff_t(r.w * 3 * bytes),
                                        0,          r.w,
                                        r.h,        bytes == 2 ? kFormatRgb48 : kFormatRgb24,
                                        pattern};
                    Conversion job = WholeFrame(src, dst, (1u << bits) - 1);
                    job.x = r.x, job.y = r.y, job.pack = {true, 0, bits};
                    MhcMemory memory;
                    PrepareMhc(job, memory);
                    MhcDemosaic(job, memory, level);
                    ASSERT_TRUE(out.GuardsIntact()) << r.x << "," << r.y << " " << level;
                    for (size_t y = 0; y < r.h; ++y)
                        for (size_t i = 0; i < 3 * size_t(r.w); ++i) {
                            const size_t k = y * r.w * 3 + i;
                            const uint32_t got = bytes == 2 ? Load16(out.data(), k) : out.data()[k];
                            ASSERT_EQ(got, whole[((r.y + y) * w + r.x) * 3 + i])
                                << "region " << r.x << "," << r.y << " bits " << bits << " pattern "
                                << pattern << " level " << level;
                        }
                }
        }
}

TEST(Mhc, HandComputedPixelsAndAFlatField) {
    // One bright red site in a field of 100: its green is
    // (4 x 200 + 2 x 400 - 400 + 4) >> 3 = 150, its blue
    // (12 x 200 + 4 x 400 - 3 x 400 + 8) >> 4 = 175.
    std::vector<uint32_t> m(25, 100);
    m[12] = 200;
    const std::vector<uint32_t> out = Convert(m, 5, 5, kRggb, 8, ProcessSimd());
    EXPECT_EQ(std::vector<uint32_t>(&out[36], &out[39]), (std::vector<uint32_t>{200, 150, 175}));
    // A bright green site of a red row (GRBG) whose right-hand red is 140:
    // its red (10 x 200 + 8 x (100 + 140) - 2 x 2 x 100 - 2 x 4 x 100 + 2 x 100 + 8) >> 4
    // = 183, its blue the same kernel down the column, 163.
    std::vector<uint32_t> g(25, 100);
    g[12] = 200, g[13] = 140;
    const std::vector<uint32_t> atGreen = Convert(g, 5, 5, kGrbg, 8, ProcessSimd());
    EXPECT_EQ(std::vector<uint32_t>(&atGreen[36], &atGreen[39]),
              (std::vector<uint32_t>{183, 200, 163}));
    // A flat field stays flat: every kernel sums to one.
    for (const uint32_t bits : {8u, 16u}) {
        const uint32_t v = (1u << bits) - 7;
        for (uint32_t pattern = 0; pattern < 4; ++pattern)
            EXPECT_EQ(Convert(std::vector<uint32_t>(48, v), 8, 6, pattern, bits, ProcessSimd()),
                      std::vector<uint32_t>(144, v));
    }
}

}  // namespace
