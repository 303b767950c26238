// Colour layouts against the three-sample ones: each holds the same pixels
// with its channels where its name puts them, and alpha as asked.
#include <gtest/gtest.h>

#include <vector>

#include "orvex2.h"
#include "test_support.h"

namespace {

using namespace testsupport;

struct Layout {
    uint32_t format;
    bool wide;  // 16-bit samples
    int at[4];  // sample index of R, G, B and alpha in a pixel
};

const Layout kLayouts[] = {
    {ORVEX_RGBA32, false, {0, 1, 2, 3}}, {ORVEX_BGRA32, false, {2, 1, 0, 3}},
    {ORVEX_ARGB32, false, {1, 2, 3, 0}}, {ORVEX_ABGR32, false, {3, 2, 1, 0}},
    {ORVEX_RGBA64, true, {0, 1, 2, 3}},
};

uint32_t SampleAt(const std::vector<uint8_t>& v, size_t i, bool wide) {
    return wide ? Load16(v.data(), i) : v[i];
}

TEST(Layouts, FourSampleLayoutsHoldThePixelsWhereTheirNamesSay) {
    const size_t w = 37, h = 9;
    for (const Layout& l : kLayouts)
        for (const uint32_t method : {ORVEX_BILINEAR, ORVEX_BLOCK, ORVEX_MHC, ORVEX_DLMMSE}) {
            SCOPED_TRACE(testing::Message() << orvex_format_name(l.format) << " method " << method);
            const size_t bytes = l.wide ? 2 : 1;
            std::vector<uint8_t> mosaic(w * h * bytes);
            FillRandom(mosaic.data(), mosaic.size(), 3 + method);
            if (l.wide)
                for (size_t i = 0; i < w * h; ++i)
                    Store16(mosaic.data(), i, Load16(mosaic.data(), i) >> 4);
            orvex_image src = {mosaic.data(),
                               0,
                               0,
                               uint32_t(w),
                               uint32_t(h),
                               l.wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8,
                               ORVEX_GRBG,
                               l.wide ? 12u : 0u};
            std::vector<uint8_t> rgb(w * h * 3 * bytes), four(w * h * 4 * bytes);
            orvex_image three = {
                rgb.data(), 0, 0, uint32_t(w), uint32_t(h), l.wide ? ORVEX_RGB48 : ORVEX_RGB24,
                0,          0};
            orvex_image out = {four.data(), 0, 0, uint32_t(w), uint32_t(h), l.format, 0, 0};
            orvex_options o;
            orvex_init_options(&o);
            o.threads = 1;
            o.alpha = 201;
            ASSERT_EQ(orvex_demosaic(&src, &three, method, &o), ORVEX_OK);
            ASSERT_EQ(orvex_demosaic(&src, &out, method, &o), ORVEX_OK);
            for (size_t p = 0; p < w * h; ++p) {
                for (size_t c = 0; c < 3; ++c)
                    ASSERT_EQ(SampleAt(four, 4 * p + size_t(l.at[c]), l.wide),
                              SampleAt(rgb, 3 * p + c, l.wide))
                        << "pixel " << p << " channel " << c;
                ASSERT_EQ(SampleAt(four, 4 * p + size_t(l.at[3]), l.wide), 201u) << "pixel " << p;
            }
        }
}

}  // namespace
