// The pack stage against the layouts as the tests state them: every layout,
// with and without alpha, at every instruction-set level, at widths around
// the vector widths, from the row's start and from a later pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "pack/colour_stage.h"
#include "pack/pack_rows.h"
#include "test_support.h"

namespace {

using namespace testsupport;

TEST(PackStage, WritesEveryLayoutsSamplesAndNothingElse) {
    std::mt19937 rng(61);
    for (const auto level : kSimdLevels)
        for (const LayoutRef& l : ColourLayouts())
            for (const bool alpha : {false, true})
                for (const size_t width : {1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 300})
                    for (const size_t first : {size_t(0), size_t(3)}) {
                        if (first >= width) continue;
                        SCOPED_TRACE(testing::Message()
                                     << l.name << " alpha " << alpha << " width " << width
                                     << " from " << first << " level " << level);
                        const size_t bytes = l.sampleBytes;
                        const size_t rowBytes = width * bytes * (l.planar ? 1 : l.samplesPerPixel);
                        // Planes one odd gap apart, the row at an odd address.
                        const size_t planeStride = rowBytes + 7, planes = l.planar ? 3 : 1;
                        GuardedBuffer row(planeStride * planes, true);
                        const orvex::ImageView view{row.data(),
                                                    ptrdiff_t(planeStride),
                                                    ptrdiff_t(planeStride),
                                                    uint32_t(width),
                                                    1,
                                                    l.format,
                                                    0};
                        // 255: four-byte pixels written whole where alpha follows the channels.
                        const uint16_t alphaValue = width % 2 == 0 ? 0x5A : 0xFF;
                        const orvex::PackPlan plan(view, {alpha, alphaValue, 0}, level);
                        ASSERT_TRUE(plan.Valid());
                        const size_t n = width - first;
                        std::vector<uint16_t> v[3];
                        for (auto& c : v) {
                            c.resize(n);
                            for (auto& s : c) s = uint16_t(rng() & (bytes == 2 ? 0xFFFF : 0xFF));
                        }
                        plan.Put(plan.Row(view, 0), first, n, v[0].data(), v[1].data(),
                                 v[2].data());

                        std::vector<uint8_t> want(row.size(), kCanary);
                        const int channel[3] = {l.r, l.g, l.b};
                        for (size_t x = first; x < width; ++x)
                            for (int c = 0; c < 3; ++c) {
                                const size_t plane = l.planar ? size_t(channel[c]) : 0;
                                const size_t sample =
                                    l.planar ? x : x * l.samplesPerPixel + size_t(channel[c]);
                                uint8_t* at = want.data() + plane * planeStride;
                                if (bytes == 2)
                                    Store16(at, sample, v[c][x - first]);
                                else
                                    at[sample] = uint8_t(v[c][x - first]);
                                if (alpha && l.alpha >= 0 && c == 0)
                                    want[x * l.samplesPerPixel + size_t(l.alpha)] =
                                        uint8_t(alphaValue);
                            }
                        ASSERT_EQ(row.Payload(), want);
                        ASSERT_TRUE(row.GuardsIntact());
                    }
}

// Wider samples narrowed into three-byte pixels: min(255, (v + 2^(bits-9))
// >> (bits - 8)) at every level, the largest values of 16 bits included.
TEST(PackStage, NarrowsWiderSamplesIntoBytes) {
    std::mt19937 rng(62);
    for (const auto level : kSimdLevels)
        for (const uint32_t bits : {9u, 12u, 16u})
            for (const bool redFirst : {true, false}) {
                SCOPED_TRACE(testing::Message() << "bits " << bits << " level " << level);
                const size_t width = 301;
                std::vector<uint8_t> row(3 * width, kCanary);
                const orvex::ImageView view{row.data(), ptrdiff_t(row.size()),
                                            0,          uint32_t(width),
                                            1,          uint32_t(redFirst ? RGB24 : BGR24),
                                            0};
                const orvex::PackPlan plan(view, {false, 0, bits}, level);
                std::vector<uint16_t> v[3];
                for (auto& c : v) {
                    c.resize(width);
                    for (auto& s : c) s = uint16_t(rng() & ((1u << bits) - 1));
                    c[7] = uint16_t((1u << bits) - 1);
                }
                plan.Put(plan.Row(view, 0), 0, width, v[0].data(), v[1].data(), v[2].data());
                for (size_t x = 0; x < width; ++x)
                    for (size_t c = 0; c < 3; ++c) {
                        const uint32_t q = (v[c][x] + (1u << (bits - 9))) >> (bits - 8);
                        ASSERT_EQ(row[3 * x + (redFirst ? c : 2 - c)], q > 255 ? 255 : q) << x;
                    }
            }
}

// Float layouts at every level: each value over the largest of its bits,
// grey the luma of the undivided values; the colour stage's floats the same
// at every level. Nothing but the pixels' samples is written.
TEST(PackStage, FloatLayoutsHoldSamplesOverTheirLargest) {
    struct FloatLayout {
        uint32_t format;
        size_t planes, perPixel;
    };
    const FloatLayout kLayouts[] = {{orvex::kFormatRgbF32, 1, 3},
                                    {orvex::kFormatPlanarRgbF32, 3, 1},
                                    {orvex::kFormatGrayF32, 1, 1}};
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::mt19937 rng(63);
    for (const FloatLayout& l : kLayouts)
        for (const uint32_t bits : {8u, 12u, 16u})
            for (const bool curve : {false, true}) {
                const size_t width = 301, first = 5, n = width - first;
                std::vector<uint16_t> v[3];
                for (auto& c : v) {
                    c.resize(n);
                    for (auto& s : c) s = uint16_t(rng() & ((1u << bits) - 1));
                }
                std::vector<uint8_t> portable;
                for (const auto level : kSimdLevels) {
                    SCOPED_TRACE(testing::Message() << "format " << l.format << " bits " << bits
                                                    << " curve " << curve << " level " << level);
                    const size_t planeStride = 4 * width * l.perPixel + 3;
                    GuardedBuffer row(planeStride * l.planes, true);
                    const orvex::ImageView view{row.data(),
                                                ptrdiff_t(planeStride),
                                                ptrdiff_t(planeStride),
                                                uint32_t(width),
                                                1,
                                                l.format,
                                                0};
                    const orvex::ColourStage stage(identity, orvex::Transfer::Srgb, bits, 1, level);
                    const orvex::PackPlan plan(view, {false, 0, bits, curve ? &stage : nullptr},
                                               level);
                    ASSERT_TRUE(plan.Valid());
                    plan.Put(plan.Row(view, 0), first, n, v[0].data(), v[1].data(), v[2].data());
                    ASSERT_TRUE(row.GuardsIntact());
                    if (portable.empty()) portable = row.Payload();
                    ASSERT_EQ(row.Payload(), portable) << "differs from the portable loops";
                    if (curve) continue;  // the curve's values: the interface's tests
                    const double largest = double((1u << bits) - 1);
                    for (size_t p = 0; p < l.planes; ++p)
                        for (size_t x = 0; x < width * l.perPixel; ++x) {
                            const uint8_t* at = row.data() + p * planeStride + 4 * x;
                            const size_t pixel = x / l.perPixel;
                            if (pixel < first) {
                                ASSERT_EQ(at[0] & at[1] & at[2] & at[3], kCanary) << x;
                                continue;
                            }
                            const size_t k = pixel - first, c = l.planes == 3 ? p : x % 3;
                            const double want =
                                l.format == orvex::kFormatGrayF32
                                    ? (4899.0 * v[0][k] + 9617.0 * v[1][k] + 1868.0 * v[2][k]) /
                                          16384 / largest
                                    : v[c][k] / largest;
                            float got;
                            std::memcpy(&got, at, 4);
                            ASSERT_NEAR(got, want, 2e-7) << x;
                        }
                }
            }
}

}  // namespace

// Every output layout of the format table (grey and RGBA32 too) at every
// level gives the portable level's bytes, for samples of the full 16-bit
// range kept as their low byte or narrowed, from an odd address, over
// bytes the row held before, guards on both sides.
TEST(PackStage, EveryLevelWritesThePortableBytes) {
    std::mt19937 rng(63);
    for (const orvex::FormatRow& f : orvex::kFormats) {
        if (f.role != orvex::FormatRole::Output) continue;
        const orvex::ChannelLayout& l = f.layout;
        for (const uint32_t bits : {0u, 9u, 12u, 16u})
            for (const bool alpha : {false, true})
                for (const size_t width : {7, 16, 33, 70}) {
                    SCOPED_TRACE(testing::Message() << f.name << " bits " << bits << " alpha "
                                                    << alpha << " width " << width);
                    const size_t planes = l.planar ? 3 : 1;
                    const size_t planeStride = width * l.sampleBytes * (l.planar ? 1 : l.step) + 5;
                    std::vector<uint16_t> v[3];
                    for (auto& c : v) {
                        c.resize(width);
                        for (auto& s : c) s = uint16_t(rng());
                        c[1] = 0xFFFF;
                    }
                    std::vector<uint8_t> portable;
                    for (const auto level : kSimdLevels) {
                        GuardedBuffer row(planeStride * planes, true);
                        FillRandom(row.data(), row.size(), uint32_t(width));
                        const orvex::ImageView view{row.data(),
                                                    ptrdiff_t(planeStride),
                                                    ptrdiff_t(planeStride),
                                                    uint32_t(width),
                                                    1,
                                                    f.core,
                                                    0};
                        const orvex::PackPlan plan(view, {alpha, 0xC3, bits}, level);
                        ASSERT_TRUE(plan.Valid());
                        plan.Put(plan.Row(view, 0), 1, width - 1, v[0].data(), v[1].data(),
                                 v[2].data());
                        ASSERT_TRUE(row.GuardsIntact()) << level;
                        if (portable.empty())
                            portable = row.Payload();
                        else
                            ASSERT_EQ(row.Payload(), portable) << level;
                    }
                }
    }
}

// Kernels that store pixels themselves may write these layouts only, at
// their own sample width, and never where the samples change on the way.
TEST(PackStage, DirectWritesTakeOnlyPixelsWithGreenInTheMiddle) {
    struct Case {
        uint32_t format;
        size_t bytes;
        uint8_t step, first;
        bool redFirst;
    };
    const Case cases[] = {
        {orvex::kFormatRgb24, 1, 3, 0, true},  {orvex::kFormatBgr24, 1, 3, 0, false},
        {orvex::kFormatRgba32, 1, 4, 0, true}, {orvex::kFormatBgra32, 1, 4, 0, false},
        {orvex::kFormatArgb32, 1, 4, 1, true}, {orvex::kFormatAbgr32, 1, 4, 1, false},
        {orvex::kFormatRgb48, 2, 3, 0, true},
    };
    for (const orvex::FormatRow& f : orvex::kFormats) {
        if (f.role != orvex::FormatRole::Output) continue;
        for (const size_t bytes : {1, 2, 4}) {
            SCOPED_TRACE(testing::Message() << f.name << " bytes " << bytes);
            Case want{f.core, bytes, 0, 0, false};
            for (const Case& c : cases)
                if (c.format == f.core && c.bytes == bytes) want = c;
            const orvex::DirectPixels d = orvex::DirectPixelsOf(f.layout, bytes, false);
            EXPECT_EQ(d.step, want.step);
            EXPECT_EQ(d.first, want.first);
            EXPECT_EQ(d.redFirst, want.redFirst);
            EXPECT_EQ(orvex::DirectPixelsOf(f.layout, bytes, true).step, 0);
        }
    }
}
