// The directional LMMSE demosaic where the answer is known: a flat field
// stays flat, and grey edges across and along the rows get no false colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "orvex2.h"

namespace {

// Converts a mosaic of 16-bit samples (bits 12) or bytes into RGB48 or RGB24.
std::vector<uint32_t> Demosaic(const std::vector<uint32_t>& samples, uint32_t w, uint32_t h,
                               uint32_t pattern, bool wide) {
    std::vector<uint16_t> wideIn(samples.begin(), samples.end());
    std::vector<uint8_t> narrowIn(samples.begin(), samples.end());
    std::vector<uint16_t> wideOut(3 * w * h);
    std::vector<uint8_t> narrowOut(3 * w * h);
    orvex_image src{}, dst{};
    src.data = wide ? static_cast<void*>(wideIn.data()) : narrowIn.data();
    src.width = dst.width = w;
    src.height = dst.height = h;
    src.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    src.pattern = pattern;
    src.bits = wide ? 12 : 0;
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_DLMMSE, nullptr), ORVEX_OK);
    return wide ? std::vector<uint32_t>(wideOut.begin(), wideOut.end())
                : std::vector<uint32_t>(narrowOut.begin(), narrowOut.end());
}

TEST(Dlmmse, AFlatFieldStaysFlat) {
    for (const bool wide : {false, true})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            const uint32_t v = wide ? 4000 : 201;
            EXPECT_EQ(Demosaic(std::vector<uint32_t>(30 * 20, v), 30, 20, pattern, wide),
                      std::vector<uint32_t>(3 * 30 * 20, v))
                << "wide " << wide << " pattern " << pattern;
        }
}

// A grey step between rows 10 and 11 (and, transposed, between columns):
// every pixel stays grey within one level.
TEST(Dlmmse, GreyEdgesGetNoFalseColour) {
    const uint32_t w = 32, h = 24;
    for (const bool across : {false, true})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            std::vector<uint32_t> m(w * h);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) m[y * w + x] = (across ? y : x) <= 10 ? 40 : 200;
            const std::vector<uint32_t> rgb = Demosaic(m, w, h, pattern, false);
            for (size_t i = 0; i < w * h; ++i) {
                ASSERT_LE(std::abs(int(rgb[3 * i]) - int(rgb[3 * i + 1])), 1) << i;
                ASSERT_LE(std::abs(int(rgb[3 * i + 2]) - int(rgb[3 * i + 1])), 1) << i;
            }
        }
}

}  // namespace
