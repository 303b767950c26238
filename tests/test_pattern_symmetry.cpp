// The four patterns are one mosaic seen from four origins, so a method that
// treats rows like columns and red like blue gives, byte for byte, the
// transposed picture of the transposed mosaic and the picture with red and
// blue exchanged from the pattern with them exchanged. A pattern's phase
// taken from the wrong corner, or a direction computed differently from the
// other, breaks one of the two. (The cubic methods keep the exports' own
// asymmetric kernels and are left out.) Eight-bit samples keep the line
// stages' float sums exact, so their order does not round differently across
// the transposition; ri's 5 x 5 colour windows, summed rows first, round
// their green sums differently transposed and may move a rare sample by 1.
// Sixteen-bit samples are checked for the exchange.
#include <gtest/gtest.h>

#include <vector>

#include "orvex2.h"
#include "test_support.h"

namespace {

constexpr uint32_t kTransposed[4] = {ORVEX_RGGB, ORVEX_GBRG, ORVEX_GRBG, ORVEX_BGGR};
constexpr uint32_t kExchanged[4] = {ORVEX_BGGR, ORVEX_GBRG, ORVEX_GRBG, ORVEX_RGGB};

// RGB of a w x h mosaic of bytes (wide: 16-bit samples of 12 bits, the same
// values times 16), as samples.
std::vector<uint32_t> Convert(const std::vector<uint8_t>& m, uint32_t w, uint32_t h,
                              uint32_t pattern, uint32_t method, bool wide) {
    std::vector<uint16_t> in16(m.begin(), m.end());
    for (uint16_t& v : in16) v = uint16_t(v * 16);
    std::vector<uint8_t> in8(m), out8(3 * size_t(w) * h);
    std::vector<uint16_t> out16(3 * size_t(w) * h);
    const orvex_image src =
        wide ? testsupport::ImageOf(in16.data(), ORVEX_MOSAIC16, w, h, pattern, 12)
             : testsupport::ImageOf(in8.data(), ORVEX_MOSAIC8, w, h, pattern);
    const orvex_image dst = wide ? testsupport::ImageOf(out16.data(), ORVEX_RGB48, w, h)
                                 : testsupport::ImageOf(out8.data(), ORVEX_RGB24, w, h);
    EXPECT_EQ(orvex_demosaic(&src, &dst, method, nullptr), ORVEX_OK);
    return wide ? std::vector<uint32_t>(out16.begin(), out16.end())
                : std::vector<uint32_t>(out8.begin(), out8.end());
}

TEST(PatternSymmetry, TransposedAndExchangedMosaicsGiveTheSamePicture) {
    const uint32_t kMethods[] = {ORVEX_BLOCK, ORVEX_BILINEAR, ORVEX_MHC, ORVEX_DLMMSE, ORVEX_RI};
    const struct { uint32_t w, h; } kSizes[] = {{61, 77}, {40, 33}};
    for (const uint32_t method : kMethods)
        for (const auto& size : kSizes)
            for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                const uint32_t w = size.w, h = size.h;
                std::vector<uint8_t> m(size_t(w) * h), t(m.size());
                testsupport::FillRandom(m.data(), m.size(), 7 * w + pattern);
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x) t[size_t(x) * h + y] = m[size_t(y) * w + x];
                SCOPED_TRACE(testing::Message() << orvex_method_name(method) << " " << w << " x "
                                                << h << " pattern " << pattern);
                const std::vector<uint32_t> rgb = Convert(m, w, h, pattern, method, false);
                const std::vector<uint32_t> tr =
                    Convert(t, h, w, kTransposed[pattern], method, false);
                const uint32_t slack = method == ORVEX_RI ? 1 : 0;
                size_t transposedOff = 0, transposedNear = 0, exchangedOff = 0;
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x)
                        for (size_t c = 0; c < 3; ++c) {
                            const uint32_t a = rgb[3 * (size_t(y) * w + x) + c],
                                           b = tr[3 * (size_t(x) * h + y) + c];
                            const uint32_t d = a > b ? a - b : b - a;
                            transposedOff += d > slack;
                            transposedNear += d != 0 && d <= slack;
                        }
                for (const bool wide : {false, true}) {
                    const std::vector<uint32_t> a = Convert(m, w, h, pattern, method, wide);
                    const std::vector<uint32_t> b =
                        Convert(m, w, h, kExchanged[pattern], method, wide);
                    for (size_t i = 0; i < a.size(); i += 3)
                        exchangedOff +=
                            (a[i] != b[i + 2]) + (a[i + 1] != b[i + 1]) + (a[i + 2] != b[i]);
                }
                EXPECT_EQ(transposedOff, 0u);
                EXPECT_LE(transposedNear, rgb.size() / 1000);
                EXPECT_EQ(exchangedOff, 0u);
            }
}

}  // namespace
