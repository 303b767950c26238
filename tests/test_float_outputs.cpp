// Float layouts through the interface: for every method, source and colour
// stage, each float is the 16-bit output's value unrounded (so within that
// output's rounding of it, times its largest value), the interleaved and
// planar floats agree exactly, and regions and threads change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "orvex2.h"
#include "test_support.h"

namespace {

using testsupport::FillRandom;

const uint32_t kMethods[] = {ORVEX_BILINEAR, ORVEX_BLOCK,  ORVEX_CUBIC_FLOAT, ORVEX_CUBIC_FIXED,
                             ORVEX_MHC,      ORVEX_DLMMSE, ORVEX_RI};

struct Source {
    const char* name;
    uint32_t format, bits;  // bits: significant bits, the largest value 2^bits - 1
};

const Source kSources[] = {
    {"mosaic8", ORVEX_MOSAIC8, 8},
    {"mosaic16 of 12 bits", ORVEX_MOSAIC16, 12},
    {"mosaic16", ORVEX_MOSAIC16, 16},
    {"raw10-mipi", ORVEX_MOSAIC10_MIPI, 10},
};

// Bounds in steps of the 16-bit output: its rounding of each channel (0.5),
// the byte curve's segments where an 8-bit source takes them (0.1), for grey
// with a colour stage a second rounding, of the luma of rounded channels;
// and single precision's own, 24 bits: below 65535 x 2^-24 < 0.004 steps.
struct Colour {
    const char* name;
    bool matrix;
    uint32_t transfer;
    double colourBound, greyBound;
};

constexpr double kSingle = 0.004;
const Colour kColours[] = {
    {"none", false, ORVEX_TRANSFER_LINEAR, kSingle, 0.5 + kSingle},
    {"matrix", true, ORVEX_TRANSFER_LINEAR, 0.5 + kSingle, 1.0 + kSingle},
    {"matrix and sRGB", true, ORVEX_TRANSFER_SRGB, 0.6 + kSingle, 1.1 + kSingle},
};

constexpr uint32_t kW = 36, kH = 22;  // a width the 10-bit packing holds

struct Frame {
    std::vector<uint8_t> bytes;
    orvex_image image{};
};

Frame MakeSource(const Source& s, uint32_t pattern, uint32_t seed) {
    Frame f;
    f.bytes.resize(orvex_image_bytes(s.format, kW, kH));
    FillRandom(f.bytes.data(), f.bytes.size(), seed);
    if (s.format == ORVEX_MOSAIC16 && s.bits < 16)
        for (size_t i = 0; i < f.bytes.size() / 2; ++i)
            testsupport::Store16(f.bytes.data(), i,
                                 testsupport::Load16(f.bytes.data(), i) >> (16 - s.bits));
    f.image = {
        f.bytes.data(), 0, 0, kW, kH, s.format, pattern, s.format == ORVEX_MOSAIC16 ? s.bits : 0};
    return f;
}

orvex_options Options(const Colour& c, uint32_t threads) {
    orvex_options o;
    orvex_init_options(&o);
    o.threads = threads;
    if (c.matrix) {
        const float m[9] = {1.7f, -0.5f, -0.2f, -0.3f, 1.6f, -0.3f, 0.1f, -0.6f, 1.5f};
        std::memcpy(o.matrix, m, sizeof m);
    }
    o.transfer = c.transfer;
    return o;
}

// The output of `format`, w x h from (x, y), its samples as they are.
template <class T>
std::vector<T> Convert(const orvex_image& src, uint32_t format, uint32_t method,
                       const orvex_options& o, uint32_t x = 0, uint32_t y = 0, uint32_t w = kW,
                       uint32_t h = kH) {
    std::vector<T> out(orvex_image_bytes(format, w, h) / sizeof(T));
    const orvex_image dst{out.data(), 0, 0, w, h, format, 0, 0};
    EXPECT_EQ(orvex_demosaic_region(&src, x, y, &dst, method, &o), ORVEX_OK);
    return out;
}

TEST(FloatOutputs, HoldTheSixteenBitOutputUnrounded) {
    for (const uint32_t method : kMethods)
        for (const Source& s : kSources)
            for (const Colour& c : kColours) {
                SCOPED_TRACE(testing::Message() << orvex_method_name(method) << ", " << s.name
                                                << ", colour " << c.name);
                const Frame f = MakeSource(s, method % 4, method * 31 + s.bits);
                const orvex_options o = Options(c, 1);
                const double largest = double((1u << s.bits) - 1);
                const auto wide = Convert<uint16_t>(f.image, ORVEX_PLANAR_RGB48, method, o);
                const auto planar = Convert<float>(f.image, ORVEX_PLANAR_RGB_F32, method, o);
                const auto packed = Convert<float>(f.image, ORVEX_RGB_F32, method, o);
                const auto grey16 = Convert<uint16_t>(f.image, ORVEX_GRAY16, method, o);
                const auto grey = Convert<float>(f.image, ORVEX_GRAY_F32, method, o);
                double worst = 0, worstGrey = 0;
                for (size_t i = 0; i < planar.size(); ++i) {
                    ASSERT_TRUE(planar[i] >= 0 && planar[i] <= 1) << i << ": " << planar[i];
                    worst = std::max(worst, std::fabs(planar[i] * largest - wide[i]));
                    const size_t plane = i / (kW * kH), pixel = i % (kW * kH);
                    ASSERT_EQ(planar[i], packed[3 * pixel + plane]) << i;
                }
                for (size_t i = 0; i < grey.size(); ++i) {
                    ASSERT_TRUE(grey[i] >= 0 && grey[i] <= 1) << i << ": " << grey[i];
                    worstGrey = std::max(worstGrey, std::fabs(grey[i] * largest - grey16[i]));
                }
                EXPECT_LE(worst, c.colourBound);
                EXPECT_LE(worstGrey, c.greyBound);
            }
}

TEST(FloatOutputs, RegionsAndThreadsGiveTheWholeConversionsFloats) {
    const Source& s = kSources[1];
    const Colour& c = kColours[2];
    const uint32_t kTileW = 7, kTileH = 5;  // odd tiles, odd offsets
    for (const uint32_t method : kMethods)
        for (const uint32_t format : {ORVEX_RGB_F32, ORVEX_PLANAR_RGB_F32, ORVEX_GRAY_F32}) {
            SCOPED_TRACE(testing::Message()
                         << orvex_method_name(method) << " into " << orvex_format_name(format));
            const Frame f = MakeSource(s, (method + 1) % 4, method);
            const auto whole = Convert<float>(f.image, format, method, Options(c, 1));
            for (const uint32_t threads : {0u, 3u})
                EXPECT_EQ(Convert<float>(f.image, format, method, Options(c, threads)), whole)
                    << threads << " threads";
            orvex_format_facts facts{};
            orvex_format_query(format, &facts);
            const size_t perPixel = facts.planar ? 1 : facts.channels;
            const size_t planes = facts.planar ? 3 : 1;
            std::vector<float> tiled(whole.size(), -1.0f);
            for (uint32_t y = 0; y < kH; y += kTileH)
                for (uint32_t x = 0; x < kW; x += kTileW) {
                    const uint32_t w = std::min(kTileW, kW - x), h = std::min(kTileH, kH - y);
                    const auto tile =
                        Convert<float>(f.image, format, method, Options(c, 2), x, y, w, h);
                    for (size_t p = 0; p < planes; ++p)
                        for (size_t ty = 0; ty < h; ++ty)
                            std::copy_n(&tile[(p * h + ty) * w * perPixel], w * perPixel,
                                        &tiled[((p * kH + y + ty) * kW + x) * perPixel]);
                }
            EXPECT_EQ(tiled, whole);
        }
}

}  // namespace
