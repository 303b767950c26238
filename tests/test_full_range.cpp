// Full-range 16-bit outputs: every value of every sample width widened to
// round(v * 65535 / (2^bits - 1)) exactly at every instruction-set level,
// through every method, the colour stage and the options' size rule.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "api/entry_points.h"
#include "orvex2.h"
#include "test_support.h"

namespace {

// round(v * 65535 / m) in integers: no value lies on a half (m is odd).
uint16_t FullRange(uint32_t v, uint32_t m) {
    return uint16_t((2ull * v * 65535 + m) / (2ull * m));
}

orvex_image Image(void* data, uint32_t format, uint32_t w, uint32_t h, uint32_t bits = 0) {
    orvex_image im{};
    im.data = data;
    im.width = w;
    im.height = h;
    im.format = format;
    im.bits = bits;
    return im;
}

// Sample k of each output pixel of a 16-bit layout (planes one after the other).
uint16_t Sample(const std::vector<uint16_t>& out, size_t pixels, uint32_t layout, size_t x,
                size_t c) {
    switch (layout) {
        case ORVEX_RGBA64:
            return out[4 * x + c];
        case ORVEX_PLANAR_RGB48:
            return out[c * pixels + x];
        case ORVEX_GRAY16:
            return out[x];
        default:
            return out[3 * x + c];
    }
}

const uint32_t kLayouts[] = {ORVEX_RGB48, ORVEX_RGBA64, ORVEX_PLANAR_RGB48, ORVEX_GRAY16};

// A two-row mosaic of 2 x 2 cells each holding one value: block gives each
// cell's value to all four of its pixels (grey included), so one call
// carries every value of the width through the pack stage.
TEST(FullRange, EveryValueOfEveryWidthAtEveryLevel) {
    for (uint32_t bits = 8; bits <= 16; ++bits) {
        const uint32_t m = (1u << bits) - 1, w = 2 * (m + 1);
        std::vector<uint8_t> bytes(2 * size_t(w));
        std::vector<uint16_t> words(2 * size_t(w));
        for (size_t y = 0; y < 2; ++y)
            for (size_t x = 0; x < w; ++x) {
                bytes[y * w + x] = uint8_t(x / 2);
                words[y * w + x] = uint16_t(x / 2);
            }
        const orvex_image src = bits == 8 ? Image(bytes.data(), ORVEX_MOSAIC8, w, 2)
                                          : Image(words.data(), ORVEX_MOSAIC16, w, 2, bits);
        orvex_options o;
        orvex_init_options(&o);
        o.full_range = 1;
        o.threads = 1;
        for (const auto level : testsupport::kSimdLevels)
            for (const uint32_t layout : kLayouts) {
                SCOPED_TRACE(testing::Message()
                             << "bits " << bits << " layout " << layout << " level " << level);
                std::vector<uint16_t> out(orvex_image_bytes(layout, w, 2) / 2, 0xBEEF);
                const orvex_image dst = Image(out.data(), layout, w, 2);
                ASSERT_EQ(orvex::api::Demosaic(&src, 0, 0, &dst, ORVEX_BLOCK, &o, true, level),
                          ORVEX_OK);
                const size_t channels = layout == ORVEX_GRAY16 ? 1 : 3;
                for (size_t x = 0; x < w; ++x)
                    for (size_t c = 0; c < channels; ++c)
                        ASSERT_EQ(Sample(out, 2 * size_t(w), layout, x, c), FullRange(x / 2, m))
                            << "value " << x / 2;
                if (layout == ORVEX_RGBA64) {
                    ASSERT_EQ(out[3], 65535);  // alpha: the largest
                }
            }
    }
}

// Every method on flat fields, whose pixels keep the field's value: each
// path that writes 16-bit pixels itself must hand them to the widening.
TEST(FullRange, EveryMethodWidensFlatFields) {
    const struct {
        uint32_t bits, value;
    } fields[] = {{8, 200}, {10, 1000}, {10, 1023}, {13, 4097}, {15, 1}};
    const uint32_t w = 70, h = 12;
    for (const auto& f : fields)
        for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method)
            for (const uint32_t layout : kLayouts)
                for (const uint32_t threads : {1u, 3u}) {
                    SCOPED_TRACE(testing::Message()
                                 << "bits " << f.bits << " value " << f.value << " "
                                 << orvex_method_name(method) << " layout " << layout);
                    std::vector<uint8_t> bytes(size_t(w) * h, uint8_t(f.value));
                    std::vector<uint16_t> words(size_t(w) * h, uint16_t(f.value));
                    const orvex_image src = f.bits == 8
                                                ? Image(bytes.data(), ORVEX_MOSAIC8, w, h)
                                                : Image(words.data(), ORVEX_MOSAIC16, w, h, f.bits);
                    std::vector<uint16_t> out(orvex_image_bytes(layout, w, h) / 2);
                    const orvex_image dst = Image(out.data(), layout, w, h);
                    orvex_options o;
                    orvex_init_options(&o);
                    o.full_range = 1;
                    o.threads = threads;
                    ASSERT_EQ(orvex_demosaic(&src, &dst, method, &o), ORVEX_OK);
                    const uint16_t want = FullRange(f.value, (1u << f.bits) - 1);
                    for (size_t p = 0; p < size_t(w) * h; ++p)
                        for (size_t c = 0; c < (layout == ORVEX_GRAY16 ? 1u : 3u); ++c)
                            ASSERT_EQ(Sample(out, size_t(w) * h, layout, p, c), want) << p;
                }
}

// The colour stage gives full-range samples itself: its largest value is
// 65535, not the mosaic's.
TEST(FullRange, ColourStageSpansSixteenBits) {
    const uint32_t w = 8, h = 4, bits = 12, m = 4095;
    const struct {
        uint32_t value;
        uint32_t transfer;
        float gainOfMatrix;
        uint16_t want;
    } cases[] = {
        {m, ORVEX_TRANSFER_SRGB, 1.0f, 65535},
        {0, ORVEX_TRANSFER_SRGB, 1.0f, 0},
        {m, ORVEX_TRANSFER_LINEAR, 0.25f, 16384},  // 65535 / 4 = 16383.75
        {2048, ORVEX_TRANSFER_LINEAR, 2.0f, 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<uint16_t> words(size_t(w) * h, uint16_t(c.value)), out(size_t(w) * h * 3);
        const orvex_image src = Image(words.data(), ORVEX_MOSAIC16, w, h, bits);
        const orvex_image dst = Image(out.data(), ORVEX_RGB48, w, h);
        orvex_options o;
        orvex_init_options(&o);
        o.full_range = 1;
        o.transfer = c.transfer;
        for (size_t i = 0; i < 9; i += 4) o.matrix[i] = c.gainOfMatrix;
        ASSERT_EQ(orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &o), ORVEX_OK);
        for (const uint16_t s : out) ASSERT_EQ(s, c.want);
    }
}

// Callers compiled before the field keep their results; only 0 and 1 are
// values; outputs other than 16-bit samples ignore it.
TEST(FullRange, OptionsSizeValuesAndOtherOutputs) {
    const uint32_t w = 16, h = 4;
    std::vector<uint16_t> words(size_t(w) * h, 1000), out(size_t(w) * h * 3);
    const orvex_image src = Image(words.data(), ORVEX_MOSAIC16, w, h, 10);
    const orvex_image dst = Image(out.data(), ORVEX_RGB48, w, h);
    orvex_options o;
    orvex_init_options(&o);
    o.full_range = 1;
    o.size = uint32_t(offsetof(orvex_options, full_range));
    ASSERT_EQ(orvex_demosaic(&src, &dst, ORVEX_MHC, &o), ORVEX_OK);
    EXPECT_EQ(out[0], 1000);  // the field past the caller's size is not read
    o.size = sizeof o;
    o.full_range = 2;
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_MHC, &o), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(out[0], 1000);  // refused: nothing written

    // Bytes and floats are the same with and without it.
    for (const uint32_t layout : {ORVEX_BGRA32, ORVEX_GRAY8, ORVEX_RGB_F32}) {
        std::vector<uint8_t> a(orvex_image_bytes(layout, w, h)), b(a.size(), 1);
        const orvex_image da = Image(a.data(), layout, w, h), db = Image(b.data(), layout, w, h);
        o.full_range = 0;
        ASSERT_EQ(orvex_demosaic(&src, &da, ORVEX_BILINEAR, &o), ORVEX_OK);
        o.full_range = 1;
        ASSERT_EQ(orvex_demosaic(&src, &db, ORVEX_BILINEAR, &o), ORVEX_OK);
        EXPECT_EQ(a, b) << layout;
    }
}

}  // namespace
