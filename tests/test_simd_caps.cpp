// The public entry points at every instruction-set cap against the same
// calls uncapped, in one process: every method into every output layout of
// the format table, from stored, bit-packed and corrected mosaics, and the
// unpack and zoom entry points.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "api/entry_points.h"
#include "orvex2.h"
#include "simd/simd.h"
#include "test_support.h"

namespace {

using orvex::SimdFeatures;

struct Source {
    uint32_t format, bits;
    bool corrected;  // black levels, gains and an sRGB matrix
};

const Source kSources[] = {{ORVEX_MOSAIC8, 8, false},        {ORVEX_MOSAIC8, 8, true},
                           {ORVEX_MOSAIC16, 12, false},      {ORVEX_MOSAIC16, 16, true},
                           {ORVEX_MOSAIC10_MIPI, 10, false}, {ORVEX_MOSAIC12_MIPI, 12, true}};

// Widths around the vector steps (multiples of four for the packings).
const uint32_t kWidths[] = {68, 132};
constexpr uint32_t kHeight = 14;

std::vector<uint32_t> Formats(bool mosaic) {
    std::vector<uint32_t> formats;
    for (uint32_t i = 0; orvex_format_at(i) != 0; ++i) {
        orvex_format_facts facts{};
        EXPECT_EQ(orvex_format_query(orvex_format_at(i), &facts), ORVEX_OK);
        if ((facts.mosaic == 1) == mosaic) formats.push_back(orvex_format_at(i));
    }
    return formats;
}

std::vector<uint32_t> Methods() {
    std::vector<uint32_t> methods;
    for (uint32_t m = 1; orvex_method_name(m) != nullptr; ++m) methods.push_back(m);
    return methods;
}

struct Buffer {
    std::vector<uint8_t> bytes;
    orvex_image image{};

    Buffer(uint32_t format, uint32_t w, uint32_t h, uint32_t bits, uint32_t seed)
        : bytes(orvex_image_bytes(format, w, h)) {
        std::mt19937 rng(seed);
        for (auto& b : bytes) b = uint8_t(rng());
        if (format == ORVEX_MOSAIC16 && bits < 16)
            for (size_t i = 1; i < bytes.size(); i += 2)
                bytes[i] &= uint8_t((1u << (bits - 8)) - 1);
        image.data = bytes.data();
        image.width = w;
        image.height = h;
        image.format = format;
        image.pattern = seed % 4;
        image.bits = format == ORVEX_MOSAIC16 ? bits : 0;  // packings: their own N
    }
};

orvex_options OptionsFor(const Source& s) {
    orvex_options o;
    orvex_init_options(&o);
    o.threads = 1;
    if (s.corrected) {
        for (size_t c = 0; c < 4; ++c) {
            o.black[c] = uint32_t(3 + c);
            o.gain[c] = 1.0f + 0.25f * float(c);
        }
        const float m[9] = {1.6f, -0.4f, -0.2f, -0.3f, 1.5f, -0.2f, 0.0f, -0.5f, 1.5f};
        for (size_t i = 0; i < 9; ++i) o.matrix[i] = m[i];
        o.transfer = ORVEX_TRANSFER_SRGB;
    }
    return o;
}

class SimdCapTest : public testing::TestWithParam<SimdFeatures> {};

TEST_P(SimdCapTest, DemosaicMatchesUncapped) {
    const SimdFeatures capped = GetParam(), widest = orvex::ProcessSimd();
    for (const uint32_t method : Methods())
        for (const uint32_t format : Formats(false))
            for (const Source& s : kSources)
                for (const uint32_t w : kWidths) {
                    const Buffer src(s.format, w, kHeight, s.bits, method + w);
                    Buffer want(format, w, kHeight, 8, 0), got(format, w, kHeight, 8, 1);
                    const orvex_options o = OptionsFor(s);
                    ASSERT_EQ(orvex::api::Demosaic(&src.image, 0, 0, &want.image, method, &o, true,
                                                   widest),
                              ORVEX_OK);
                    ASSERT_EQ(orvex::api::Demosaic(&src.image, 0, 0, &got.image, method, &o, true,
                                                   capped),
                              ORVEX_OK);
                    ASSERT_EQ(got.bytes, want.bytes)
                        << orvex_method_name(method) << " into " << orvex_format_name(format)
                        << " from " << orvex_format_name(s.format) << " corrected " << s.corrected
                        << " width " << w;
                }
}

TEST_P(SimdCapTest, UnpackAndZoomMatchUncapped) {
    const SimdFeatures capped = GetParam(), widest = orvex::ProcessSimd();
    for (const uint32_t format : Formats(true))
        for (const uint32_t w : kWidths) {
            const Source s{format, format == ORVEX_MOSAIC8 ? 8u : 12u, true};
            const Buffer src(format, w, kHeight, s.bits, w);
            Buffer want(ORVEX_MOSAIC16, w, kHeight, 16, 0), got(ORVEX_MOSAIC16, w, kHeight, 16, 1);
            orvex_options o = OptionsFor(s);
            if (format == ORVEX_MOSAIC14_MIPI) o.black[0] = 40;
            want.image.pattern = got.image.pattern = src.image.pattern;
            ASSERT_EQ(orvex::api::Unpack(&src.image, &want.image, &o, widest), ORVEX_OK);
            ASSERT_EQ(orvex::api::Unpack(&src.image, &got.image, &o, capped), ORVEX_OK);
            ASSERT_EQ(got.bytes, want.bytes) << orvex_format_name(format) << " width " << w;
        }
    for (const uint32_t format : {ORVEX_MOSAIC8, ORVEX_MOSAIC16})
        for (const uint32_t w : kWidths) {
            const uint32_t bits = format == ORVEX_MOSAIC8 ? 8 : 12;
            const Buffer src(format, w, kHeight, bits, w + 1);
            Buffer want(format, w, 2 * kHeight, bits, 0), got(format, w, 2 * kHeight, bits, 1);
            want.image.pattern = got.image.pattern = src.image.pattern;
            ASSERT_EQ(orvex::api::Zoom(&src.image, &want.image, nullptr, widest), ORVEX_OK);
            ASSERT_EQ(orvex::api::Zoom(&src.image, &got.image, nullptr, capped), ORVEX_OK);
            ASSERT_EQ(got.bytes, want.bytes) << orvex_format_name(format) << " width " << w;
        }
}

std::string CapName(const testing::TestParamInfo<SimdFeatures>& info) {
    std::string name = orvex::SimdName(info.param);
    for (char& c : name)
        if (c == '+') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Caps, SimdCapTest, testing::ValuesIn(testsupport::kSimdLevels), CapName);

}  // namespace
