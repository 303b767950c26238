// The stages between reading a mosaic and writing a picture, at every
// instruction-set level: site corrections of stored rows, and the colour
// stage's matrix and curve against the exact values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "orvex2.h"
#include "pack/colour_stage.h"
#include "test_support.h"
#include "unpack/source_rows.h"

namespace {

using testsupport::ImageOf;

// 8-bit rows corrected by their sites' tables give every byte value the
// formula's result at every level, both columns of a pair and a lone last
// column included; 12-bit rows give the same samples at every level.
TEST(Unpack, CorrectedBytesEqualTheCorrectedSamples) {
    const size_t w = 515, h = 2;
    std::vector<uint8_t> mosaic(w * h);
    for (size_t i = 0; i < w * h; ++i) mosaic[i] = uint8_t(i / 2 * 7 + (i & 1) * 128 + i / w);
    const orvex::SourceView frame{mosaic.data(), ptrdiff_t(w),          0,          uint32_t(w),
                                  uint32_t(h),   orvex::kFormatMosaic8, ORVEX_GBRG, 0};
    orvex::SiteCorrection correction;
    ASSERT_TRUE(
        orvex::MakeSiteCorrection({3, 10, 0, 40}, 250, {1.9f, 1.0f, 0.7f, 2.5f}, 8, correction));
    for (const auto level : testsupport::kSimdLevels) {
        const orvex::SourceRows rows(frame, correction, level);
        for (size_t y = 0; y < h; ++y) {
            std::vector<uint16_t> want(w);
            std::vector<uint8_t> got(w);
            rows.Read(y, want.data());
            rows.ReadBytes(y, got.data());
            EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin())) << level << " " << y;
        }
    }
    // 12-bit rows: the same samples at every level.
    std::vector<uint16_t> wide(w * h);
    std::mt19937 rng(5);
    for (uint16_t& v : wide) v = uint16_t(rng() & 4095);
    const orvex::SourceView frame16{reinterpret_cast<const uint8_t*>(wide.data()),
                                    ptrdiff_t(2 * w),
                                    0,
                                    uint32_t(w),
                                    uint32_t(h),
                                    orvex::kFormatMosaic16,
                                    ORVEX_GBRG,
                                    0};
    ASSERT_TRUE(orvex::MakeSiteCorrection({200, 190, 0, 260}, 4000, {2.2f, 1.0f, 0.6f, 1.7f}, 12,
                                          correction));
    std::vector<uint16_t> first;
    for (const auto level : testsupport::kSimdLevels) {
        const orvex::SourceRows rows(frame16, correction, level);
        std::vector<uint16_t> got(w * h);
        for (size_t y = 0; y < h; ++y) rows.Read(y, got.data() + y * w);
        if (first.empty())
            first = got;
        else
            EXPECT_EQ(got, first) << level;
    }
}

// The sRGB curve into bytes over every 16-bit input: within 0.6 of the
// exact value (half a step of rounding and the segments' own error), the
// same bytes at every level, and in the pixels the stage writes itself.
TEST(Colour, ByteCurveOverTheWholeRange) {
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const size_t n = orvex::kColourChunk;
    std::vector<uint16_t> first;
    for (const auto level : testsupport::kSimdLevels) {
        const orvex::ColourStage stage(identity, orvex::Transfer::Srgb, 16, 255, level);
        std::vector<uint16_t> all;
        double worst = 0;
        for (uint32_t v = 0; v < 65536; v += n) {
            uint16_t in[n], out[3][n];
            for (size_t k = 0; k < n; ++k) in[k] = uint16_t(v + k);
            // Green and blue start mid-chunk, so the tails take the same path.
            stage.Apply(in, in + 1, in + 3, n - 3, out[0], out[1], out[2]);
            // Three-byte pixels written by the stage hold the same samples.
            for (const bool redFirst : {true, false}) {
                uint8_t pixels[3 * n];
                const size_t done = stage.ApplyTriple(in, in + 1, in + 3, n - 3, pixels, redFirst);
                for (size_t k = 0; k < done; ++k)
                    for (size_t c = 0; c < 3; ++c)
                        ASSERT_EQ(pixels[3 * k + (redFirst ? c : 2 - c)], out[c][k]) << v + k;
            }
            for (size_t k = 0; k < n - 3; ++k) {
                const double y = (v + k) / 65535.0;
                const double exact =
                    255 * (y <= 0.0031308 ? 12.92 * y : 1.055 * std::pow(y, 1 / 2.4) - 0.055);
                worst = std::max(worst, std::abs(out[0][k] - exact));
                all.push_back(out[0][k]);
                all.push_back(out[2][k]);
            }
        }
        EXPECT_LE(worst, 0.6) << level;
        if (first.empty())
            first = all;
        else
            EXPECT_EQ(all, first) << level;
    }
}

// The matrix and transfer curve against a double-precision reference of
// the camera RGB every method gives without them, into bytes, 16-bit
// samples, four-byte pixels and grey; and what is refused.
TEST(Colour, MatrixAndCurveWithinOneOfTheReference) {
    const size_t w = 40, h = 24;
    std::mt19937 rng(9);
    std::vector<uint16_t> mosaic(w * h);
    for (uint16_t& s : mosaic) s = uint16_t(rng() & 4095);
    const orvex_image src = ImageOf(mosaic.data(), ORVEX_MOSAIC16, w, h, 1, 12);
    const float matrix[9] = {1.6f, -0.4f, -0.2f, -0.3f, 1.5f, -0.2f, 0.1f, -0.6f, 1.5f};
    auto srgb = [](double v) {
        return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    };
    for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method)
        for (const uint32_t transfer : {ORVEX_TRANSFER_LINEAR, ORVEX_TRANSFER_SRGB}) {
            std::vector<uint16_t> camera(3 * w * h);
            const orvex_image plain = ImageOf(camera.data(), ORVEX_RGB48, w, h);
            ASSERT_EQ(orvex_demosaic(&src, &plain, method, nullptr), ORVEX_OK);
            orvex_options options;
            orvex_init_options(&options);
            std::copy(std::begin(matrix), std::end(matrix), options.matrix);
            options.transfer = transfer;
            // Reference pixel p, channel c, in an output of largest value `top`.
            auto want = [&](size_t p, size_t c, double top) {
                double y = 0;
                for (size_t j = 0; j < 3; ++j) y += matrix[3 * c + j] * camera[3 * p + j] / 4095.0;
                y = std::min(1.0, std::max(0.0, y));
                return (transfer == ORVEX_TRANSFER_SRGB ? srgb(y) : y) * top;
            };
            struct Out {
                uint32_t format;
                size_t step, r, g, b;  // samples a pixel; channel indices (grey: all 0)
                bool wide, grey;
            };
            for (const Out& o : {Out{ORVEX_RGB24, 3, 0, 1, 2, false, false},
                                 Out{ORVEX_BGRA32, 4, 2, 1, 0, false, false},
                                 Out{ORVEX_RGB48, 3, 0, 1, 2, true, false},
                                 Out{ORVEX_GRAY8, 1, 0, 0, 0, false, true}}) {
                std::vector<uint8_t> bytes(orvex_image_bytes(o.format, w, h));
                const orvex_image dst = ImageOf(bytes.data(), o.format, w, h);
                ASSERT_EQ(orvex_demosaic(&src, &dst, method, &options), ORVEX_OK);
                const double top = o.wide ? 4095 : 255;
                double worst = 0;
                // From row 1: the cubic methods' RGB48 row 0 repeats row 1.
                for (size_t p = w; p < w * h; ++p) {
                    auto at = [&](size_t i) {
                        return o.wide ? double(testsupport::Load16(bytes.data(), p * o.step + i))
                                      : double(bytes[p * o.step + i]);
                    };
                    if (o.grey) {
                        double rgb[3];
                        for (size_t c = 0; c < 3; ++c) rgb[c] = std::floor(want(p, c, top) + 0.5);
                        const double g = (4899 * rgb[0] + 9617 * rgb[1] + 1868 * rgb[2]) / 16384;
                        worst = std::max(worst, std::abs(at(0) - g));
                        continue;
                    }
                    const size_t index[3] = {o.r, o.g, o.b};
                    for (size_t c = 0; c < 3; ++c)
                        worst = std::max(worst, std::abs(at(index[c]) - want(p, c, top)));
                    if (o.format == ORVEX_BGRA32) {
                        EXPECT_EQ(at(3), 255);
                    }
                }
                EXPECT_LE(worst, 1.0) << orvex_method_name(method) << " transfer " << transfer
                                      << " format " << o.format;
            }
        }
    // Every instruction-set level gives the same samples.
    std::vector<uint16_t> in(3 * orvex::kColourChunk);
    for (uint16_t& v : in) v = uint16_t(rng() & 4095);
    std::vector<uint16_t> first;
    for (const auto level : testsupport::kSimdLevels)
        for (const uint32_t top : {255u, 4095u}) {
            const orvex::ColourStage stage(matrix, orvex::Transfer::Srgb, 12, top, level);
            std::vector<uint16_t> got(3 * orvex::kColourChunk);
            const size_t n = orvex::kColourChunk;
            stage.Apply(in.data(), in.data() + n, in.data() + 2 * n, n, got.data(), got.data() + n,
                        got.data() + 2 * n);
            got.push_back(uint16_t(top));
            if (level == testsupport::kSimdLevels[0]) {
                first.insert(first.end(), got.begin(), got.end());
                continue;
            }
            const size_t at = top == 255 ? 0 : got.size();
            EXPECT_TRUE(std::equal(got.begin(), got.end(), first.begin() + ptrdiff_t(at)))
                << level << " " << top;
        }

    std::vector<uint8_t> out(3 * w * h);
    const orvex_image dst = ImageOf(out.data(), ORVEX_RGB24, w, h);
    orvex_options options;
    orvex_init_options(&options);
    options.transfer = 2;
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &options), ORVEX_ERROR_ARGUMENT);
    options.transfer = ORVEX_TRANSFER_SRGB;
    options.matrix[4] = std::nanf("");
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &options), ORVEX_ERROR_ARGUMENT);
}

}  // namespace
