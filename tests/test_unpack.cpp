// Packed camera mosaics and the corrections of black level, white level and
// gains: hand-written bytes of every packing, round trips through a packer
// written from the layouts at every instruction-set level, conversions
// equal to those of the same samples unpacked, and the errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "orvex2.h"
#include "pack/colour_stage.h"
#include "test_support.h"
#include "unpack/source_rows.h"
#include "unpack/unpack_rows.h"

namespace {

struct BitPackedFormat {
    uint32_t format, bits, group;  // group: widths must be a multiple (1: any)
};
const BitPackedFormat kBitPacked[] = {
    {ORVEX_MOSAIC10_MIPI, 10, 4}, {ORVEX_MOSAIC12_MIPI, 12, 2}, {ORVEX_MOSAIC14_MIPI, 14, 4},
    {ORVEX_MOSAIC10_PFNC, 10, 1}, {ORVEX_MOSAIC12_PFNC, 12, 1}, {ORVEX_MOSAIC12_GIGE, 12, 2},
};

// One row packed as each layout is written down.
std::vector<uint8_t> PackRow(uint32_t format, const std::vector<uint16_t>& s) {
    std::vector<uint8_t> out;
    const size_t n = s.size();
    if (format == ORVEX_MOSAIC10_PFNC || format == ORVEX_MOSAIC12_PFNC) {
        const uint32_t bits = format == ORVEX_MOSAIC10_PFNC ? 10 : 12;
        out.assign((n * bits + 7) / 8, 0);
        for (size_t i = 0; i < n; ++i)
            for (uint32_t b = 0; b < bits; ++b)
                if (s[i] >> b & 1) out[(i * bits + b) / 8] |= uint8_t(1 << ((i * bits + b) % 8));
        return out;
    }
    for (size_t i = 0; i < n;
         i += format == ORVEX_MOSAIC12_MIPI || format == ORVEX_MOSAIC12_GIGE ? 2 : 4) {
        if (format == ORVEX_MOSAIC10_MIPI) {
            for (int k = 0; k < 4; ++k) out.push_back(uint8_t(s[i + k] >> 2));
            out.push_back(uint8_t((s[i + 3] & 3) << 6 | (s[i + 2] & 3) << 4 | (s[i + 1] & 3) << 2 |
                                  (s[i] & 3)));
        } else if (format == ORVEX_MOSAIC12_MIPI) {
            out.insert(out.end(), {uint8_t(s[i] >> 4), uint8_t(s[i + 1] >> 4),
                                   uint8_t((s[i + 1] & 15) << 4 | (s[i] & 15))});
        } else if (format == ORVEX_MOSAIC14_MIPI) {
            for (int k = 0; k < 4; ++k) out.push_back(uint8_t(s[i + k] >> 6));
            out.push_back(uint8_t((s[i + 1] & 3) << 6 | (s[i] & 63)));
            out.push_back(uint8_t((s[i + 2] & 15) << 4 | (s[i + 1] & 63) >> 2));
            out.push_back(uint8_t((s[i + 3] & 63) << 2 | (s[i + 2] & 63) >> 4));
        } else {  // GigE
            out.insert(out.end(), {uint8_t(s[i] >> 4), uint8_t((s[i + 1] & 15) << 4 | (s[i] & 15)),
                                   uint8_t(s[i + 1] >> 4)});
        }
    }
    return out;
}

orvex_image Image(void* data, uint32_t format, size_t w, size_t h, uint32_t pattern = 0,
                  uint32_t bits = 0) {
    orvex_image im{};
    im.data = data;
    im.width = uint32_t(w);
    im.height = uint32_t(h);
    im.format = format;
    im.pattern = pattern;
    im.bits = bits;
    return im;
}

std::vector<uint16_t> Unpacked(uint32_t format, std::vector<uint8_t> bytes, size_t w, size_t h,
                               const orvex_options* options = nullptr) {
    std::vector<uint16_t> out(w * h, 0xDEAD);
    const orvex_image src = Image(bytes.data(), format, w, h);
    const orvex_image dst = Image(out.data(), ORVEX_MOSAIC16, w, h);
    EXPECT_EQ(orvex_unpack(&src, &dst, options), ORVEX_OK);
    return out;
}

TEST(Unpack, HandWrittenBytesOfEveryPacking) {
    const struct {
        uint32_t format;
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> samples;
    } cases[] = {
        {ORVEX_MOSAIC10_MIPI, {0xFF, 0x00, 0xAA, 0x55, 0x67}, {0x3FF, 0x001, 0x2AA, 0x155}},
        {ORVEX_MOSAIC12_MIPI, {0xAB, 0x12, 0x3C}, {0xABC, 0x123}},
        {ORVEX_MOSAIC14_MIPI,
         {0xFF, 0x00, 0xAA, 0x55, 0x7F, 0xA0, 0x56},
         {0x3FFF, 0x0001, 0x2AAA, 0x1555}},
        {ORVEX_MOSAIC10_PFNC, {0xFF, 0x07, 0xA0, 0x6A, 0x55}, {0x3FF, 0x001, 0x2AA, 0x155}},
        {ORVEX_MOSAIC12_PFNC, {0xBC, 0x3A, 0x12, 0x56, 0x04}, {0xABC, 0x123, 0x456}},
        {ORVEX_MOSAIC12_GIGE, {0xAB, 0x3C, 0x12}, {0xABC, 0x123}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(PackRow(c.format, c.samples), c.bytes);  // the packer agrees with the layouts
        EXPECT_EQ(Unpacked(c.format, c.bytes, c.samples.size(), 1), c.samples);
    }
}

// Random rows of widths around the vector kernels' steps, at every level,
// whole rows and rows whose stride leaves bytes after them.
TEST(Unpack, RoundTripsAtEveryLevel) {
    std::mt19937 rng(11);
    for (const BitPackedFormat& p : kBitPacked)
        for (const size_t width : {4, 16, 28, 32, 36, 44, 48, 52, 64, 100, 260}) {
            if (width % p.group != 0) continue;
            std::vector<uint16_t> samples(width);
            for (uint16_t& s : samples) s = uint16_t(rng() & ((1u << p.bits) - 1));
            const std::vector<uint8_t> row = PackRow(p.format, samples);
            const orvex::Packing* packing =
                orvex::FindPacking(p.format - ORVEX_MOSAIC10_MIPI + orvex::kFormatMosaic10Mipi);
            ASSERT_NE(packing, nullptr);
            for (const auto level : testsupport::kSimdLevels) {
                std::vector<uint16_t> out(width);
                orvex::RowUnpacker(*packing, level).Unpack(row.data(), width, out.data());
                EXPECT_EQ(out, samples) << p.format << " width " << width << " level " << level;
            }
            // Two rows a stride of row bytes + 3 apart through the interface.
            std::vector<uint8_t> two(2 * (row.size() + 3), 0x5A);
            std::copy(row.begin(), row.end(), two.begin());
            std::copy(row.rbegin(), row.rend(), two.rbegin() + 3);  // any bytes will do
            std::vector<uint16_t> out(2 * width);
            orvex_image src = Image(two.data(), p.format, width, 2);
            src.stride = ptrdiff_t(row.size() + 3);
            const orvex_image dst = Image(out.data(), ORVEX_MOSAIC16, width, 2);
            ASSERT_EQ(orvex_unpack(&src, &dst, nullptr), ORVEX_OK);
            EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));
        }
}

// Every method converts a packed mosaic, whole and in regions at odd x and
// y, on any number of threads, exactly as the same samples in MOSAIC16.
TEST(Unpack, PackedConversionsEqualTheUnpackedOnes) {
    std::mt19937 rng(5);
    // A small frame in two layouts, and one tall enough for several strips
    // in each of several bands.
    for (const auto& [p, w, h] :
         {std::tuple<BitPackedFormat, size_t, size_t>{kBitPacked[1], 36, 30},
          {kBitPacked[3], 36, 30},
          {kBitPacked[1], 256, 1200}})
        for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method) {
            std::vector<uint16_t> samples(w * h);
            for (uint16_t& s : samples) s = uint16_t(rng() & ((1u << p.bits) - 1));
            std::vector<uint8_t> packed;
            for (size_t y = 0; y < h; ++y) {
                const auto row =
                    PackRow(p.format, {samples.begin() + y * w, samples.begin() + (y + 1) * w});
                packed.insert(packed.end(), row.begin(), row.end());
            }
            const orvex_image unpacked = Image(samples.data(), ORVEX_MOSAIC16, w, h, 2, p.bits);
            const orvex_image source = Image(packed.data(), p.format, w, h, 2);
            for (const uint32_t format : {ORVEX_RGB24, ORVEX_PLANAR_RGB48}) {
                if (h > 30 && format != ORVEX_RGB24) continue;
                for (const auto& [x, y, rw, rh] :
                     {std::array<size_t, 4>{0, 0, w, h}, {3, 5, 21, 17}}) {
                    const size_t bytes = orvex_image_bytes(format, uint32_t(rw), uint32_t(rh));
                    std::vector<uint8_t> a(bytes), b(bytes, 1);
                    const orvex_image da = Image(a.data(), format, rw, rh),
                                      db = Image(b.data(), format, rw, rh);
                    orvex_options options;
                    orvex_init_options(&options);
                    options.threads = 1;
                    ASSERT_EQ(orvex_demosaic_region(&unpacked, uint32_t(x), uint32_t(y), &da,
                                                    method, &options),
                              ORVEX_OK);
                    options.threads = 3;
                    ASSERT_EQ(orvex_demosaic_region(&source, uint32_t(x), uint32_t(y), &db, method,
                                                    &options),
                              ORVEX_OK);
                    EXPECT_EQ(a, b) << p.format << " method " << method << " format " << format
                                    << " at " << x << "," << y;
                }
            }
        }
}

// The corrections against a double-precision reference on flat fields and
// ramps; a conversion with them equals the conversion of their unpacked
// result; and what is refused.
TEST(Unpack, CorrectionsFollowTheFormula) {
    const size_t w = 64, h = 4;
    std::vector<uint16_t> samples(w * h);
    for (size_t i = 0; i < w * h; ++i) samples[i] = uint16_t(i % 2 == 0 ? 700 : (i * 37) % 4096);
    std::vector<uint8_t> packed;
    for (size_t y = 0; y < h; ++y) {
        const auto row =
            PackRow(ORVEX_MOSAIC12_MIPI, {samples.begin() + y * w, samples.begin() + (y + 1) * w});
        packed.insert(packed.end(), row.begin(), row.end());
    }
    orvex_options options;
    orvex_init_options(&options);
    const uint32_t black[4] = {64, 70, 80, 90};
    const float gain[4] = {2.1f, 1.0f, 0.9f, 1.6f};
    for (int c = 0; c < 4; ++c) options.black[c] = black[c], options.gain[c] = gain[c];
    options.white = 3900;
    const std::vector<uint16_t> out = Unpacked(ORVEX_MOSAIC12_MIPI, packed, w, h, &options);
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const int c = int((y & 1) * 2 + (x & 1));
            const double v = std::floor((samples[y * w + x] - double(black[c])) * gain[c] * 4095.0 /
                                            (3900.0 - black[c]) +
                                        0.5);
            const double want = std::min(4095.0, std::max(0.0, v));
            EXPECT_LE(std::abs(out[y * w + x] - want), 1.0) << x << "," << y;
        }
    // Converting with the corrections equals converting their result.
    const orvex_image corrected =
        Image(const_cast<uint16_t*>(out.data()), ORVEX_MOSAIC16, w, h, 0, 12);
    const orvex_image source = Image(packed.data(), ORVEX_MOSAIC12_MIPI, w, h);
    std::vector<uint8_t> a(w * h * 3), b(w * h * 3, 1);
    const orvex_image da = Image(a.data(), ORVEX_RGB24, w, h),
                      db = Image(b.data(), ORVEX_RGB24, w, h);
    ASSERT_EQ(orvex_demosaic(&corrected, &da, ORVEX_MHC, nullptr), ORVEX_OK);
    ASSERT_EQ(orvex_demosaic(&source, &db, ORVEX_MHC, &options), ORVEX_OK);
    EXPECT_EQ(a, b);

    // 8-bit mosaics: every method with the corrections equals the same
    // method on their result.
    std::vector<uint8_t> bytes8(w * h);
    for (size_t i = 0; i < w * h; ++i) bytes8[i] = uint8_t(samples[i] >> 4);
    std::vector<uint16_t> corrected8(w * h);
    const orvex_image src8 = Image(bytes8.data(), ORVEX_MOSAIC8, w, h, 3);
    const orvex_image wide8 = Image(corrected8.data(), ORVEX_MOSAIC16, w, h);
    options.white = 250;
    ASSERT_EQ(orvex_unpack(&src8, &wide8, &options), ORVEX_OK);
    std::vector<uint8_t> narrowed(corrected8.begin(), corrected8.end());
    const orvex_image plain8 = Image(narrowed.data(), ORVEX_MOSAIC8, w, h, 3);
    for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method) {
        ASSERT_EQ(orvex_demosaic(&plain8, &da, method, nullptr), ORVEX_OK);
        ASSERT_EQ(orvex_demosaic(&src8, &db, method, &options), ORVEX_OK);
        EXPECT_EQ(a, b) << orvex_method_name(method);
    }
    options.white = 3900;

    // Refusals, each leaving the output as it was.
    std::vector<uint8_t> unchanged = b;
    options.black[2] = 3900;
    EXPECT_EQ(orvex_demosaic(&source, &db, ORVEX_MHC, &options), ORVEX_ERROR_ARGUMENT);
    options.black[2] = 80, options.gain[1] = -1;
    EXPECT_EQ(orvex_demosaic(&source, &db, ORVEX_MHC, &options), ORVEX_ERROR_ARGUMENT);
    options.gain[1] = std::nanf("");
    EXPECT_EQ(orvex_demosaic(&source, &db, ORVEX_MHC, &options), ORVEX_ERROR_ARGUMENT);
    orvex_image odd = Image(packed.data(), ORVEX_MOSAIC10_MIPI, 30, 2);
    EXPECT_EQ(orvex_demosaic(&odd, &db, ORVEX_MHC, nullptr), ORVEX_ERROR_SIZE);
    orvex_image wrongBits = Image(packed.data(), ORVEX_MOSAIC12_MIPI, w, h, 0, 10);
    EXPECT_EQ(orvex_demosaic(&wrongBits, &db, ORVEX_MHC, nullptr), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(b, unchanged);
    std::vector<uint8_t> tall(packed.size() * 2);
    const orvex_image zoomed = Image(tall.data(), ORVEX_MOSAIC12_MIPI, w, 2 * h);
    EXPECT_EQ(orvex_zoom_vertical(&source, &zoomed, nullptr), ORVEX_ERROR_UNSUPPORTED);
    EXPECT_EQ(orvex_unpack(&source, &da, nullptr), ORVEX_ERROR_UNSUPPORTED);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC10_PFNC, 3, 2), 8u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC10_MIPI, 6, 2), 0u);
}

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
    const orvex_image src = Image(mosaic.data(), ORVEX_MOSAIC16, w, h, 1, 12);
    const float matrix[9] = {1.6f, -0.4f, -0.2f, -0.3f, 1.5f, -0.2f, 0.1f, -0.6f, 1.5f};
    auto srgb = [](double v) {
        return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    };
    for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method)
        for (const uint32_t transfer : {ORVEX_TRANSFER_LINEAR, ORVEX_TRANSFER_SRGB}) {
            std::vector<uint16_t> camera(3 * w * h);
            const orvex_image plain = Image(camera.data(), ORVEX_RGB48, w, h);
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
                const orvex_image dst = Image(bytes.data(), o.format, w, h);
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
    const orvex_image dst = Image(out.data(), ORVEX_RGB24, w, h);
    orvex_options options;
    orvex_init_options(&options);
    options.transfer = 2;
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &options), ORVEX_ERROR_ARGUMENT);
    options.transfer = ORVEX_TRANSFER_SRGB;
    options.matrix[4] = std::nanf("");
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &options), ORVEX_ERROR_ARGUMENT);
}

}  // namespace
