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

using testsupport::ImageOf;

std::vector<uint16_t> Unpacked(uint32_t format, std::vector<uint8_t> bytes, size_t w, size_t h,
                               const orvex_options* options = nullptr) {
    std::vector<uint16_t> out(w * h, 0xDEAD);
    const orvex_image src = ImageOf(bytes.data(), format, w, h);
    const orvex_image dst = ImageOf(out.data(), ORVEX_MOSAIC16, w, h);
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
            orvex_image src = ImageOf(two.data(), p.format, width, 2);
            src.stride = ptrdiff_t(row.size() + 3);
            const orvex_image dst = ImageOf(out.data(), ORVEX_MOSAIC16, width, 2);
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
            const orvex_image unpacked = ImageOf(samples.data(), ORVEX_MOSAIC16, w, h, 2, p.bits);
            const orvex_image source = ImageOf(packed.data(), p.format, w, h, 2);
            for (const uint32_t format : {ORVEX_RGB24, ORVEX_PLANAR_RGB48}) {
                if (h > 30 && format != ORVEX_RGB24) continue;
                for (const auto& [x, y, rw, rh] :
                     {std::array<size_t, 4>{0, 0, w, h}, {3, 5, 21, 17}}) {
                    const size_t bytes = orvex_image_bytes(format, uint32_t(rw), uint32_t(rh));
                    std::vector<uint8_t> a(bytes), b(bytes, 1);
                    const orvex_image da = ImageOf(a.data(), format, rw, rh),
                                      db = ImageOf(b.data(), format, rw, rh);
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
        ImageOf(const_cast<uint16_t*>(out.data()), ORVEX_MOSAIC16, w, h, 0, 12);
    const orvex_image source = ImageOf(packed.data(), ORVEX_MOSAIC12_MIPI, w, h);
    std::vector<uint8_t> a(w * h * 3), b(w * h * 3, 1);
    const orvex_image da = ImageOf(a.data(), ORVEX_RGB24, w, h),
                      db = ImageOf(b.data(), ORVEX_RGB24, w, h);
    ASSERT_EQ(orvex_demosaic(&corrected, &da, ORVEX_MHC, nullptr), ORVEX_OK);
    ASSERT_EQ(orvex_demosaic(&source, &db, ORVEX_MHC, &options), ORVEX_OK);
    EXPECT_EQ(a, b);

    // 8-bit mosaics: every method with the corrections equals the same
    // method on their result.
    std::vector<uint8_t> bytes8(w * h);
    for (size_t i = 0; i < w * h; ++i) bytes8[i] = uint8_t(samples[i] >> 4);
    std::vector<uint16_t> corrected8(w * h);
    const orvex_image src8 = ImageOf(bytes8.data(), ORVEX_MOSAIC8, w, h, 3);
    const orvex_image wide8 = ImageOf(corrected8.data(), ORVEX_MOSAIC16, w, h);
    options.white = 250;
    ASSERT_EQ(orvex_unpack(&src8, &wide8, &options), ORVEX_OK);
    std::vector<uint8_t> narrowed(corrected8.begin(), corrected8.end());
    const orvex_image plain8 = ImageOf(narrowed.data(), ORVEX_MOSAIC8, w, h, 3);
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
    orvex_image odd = ImageOf(packed.data(), ORVEX_MOSAIC10_MIPI, 30, 2);
    EXPECT_EQ(orvex_demosaic(&odd, &db, ORVEX_MHC, nullptr), ORVEX_ERROR_SIZE);
    orvex_image wrongBits = ImageOf(packed.data(), ORVEX_MOSAIC12_MIPI, w, h, 0, 10);
    EXPECT_EQ(orvex_demosaic(&wrongBits, &db, ORVEX_MHC, nullptr), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(b, unchanged);
    std::vector<uint8_t> tall(packed.size() * 2);
    const orvex_image zoomed = ImageOf(tall.data(), ORVEX_MOSAIC12_MIPI, w, 2 * h);
    EXPECT_EQ(orvex_zoom_vertical(&source, &zoomed, nullptr), ORVEX_ERROR_UNSUPPORTED);
    EXPECT_EQ(orvex_unpack(&source, &da, nullptr), ORVEX_ERROR_UNSUPPORTED);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC10_PFNC, 3, 2), 8u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC10_MIPI, 6, 2), 0u);
}

}  // namespace
