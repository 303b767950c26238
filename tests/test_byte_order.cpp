// Big-endian 16-bit mosaics: the bytes of each sample swapped as rows are
// read, so every conversion equals that of the same samples in the host's
// order; what the format is told and what it refuses.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "orvex2.h"
#include "test_support.h"

namespace {

orvex_image Image(void* data, uint32_t format, size_t w, size_t h, uint32_t bits = 0) {
    return testsupport::ImageOf(data, format, w, h, ORVEX_GBRG, bits);
}

std::vector<uint8_t> HighByteFirst(const std::vector<uint16_t>& s) {
    std::vector<uint8_t> out;
    for (const uint16_t v : s) out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    return out;
}

TEST(ByteOrder, HandWrittenBytesAndFacts) {
    const std::vector<uint8_t> bytes = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF};
    std::vector<uint16_t> out(3);
    const orvex_image src = Image(const_cast<uint8_t*>(bytes.data()), ORVEX_MOSAIC16_BE, 3, 1);
    const orvex_image dst = Image(out.data(), ORVEX_MOSAIC16, 3, 1);
    ASSERT_EQ(orvex_unpack(&src, &dst, nullptr), ORVEX_OK);
    EXPECT_EQ(out, (std::vector<uint16_t>{0x1234, 0xABCD, 0x00FF}));
    EXPECT_STREQ(orvex_format_name(ORVEX_MOSAIC16_BE), "mosaic16-be");
    orvex_format_facts facts;
    ASSERT_EQ(orvex_format_query(ORVEX_MOSAIC16_BE, &facts), ORVEX_OK);
    EXPECT_EQ(facts.mosaic, 1u);
    EXPECT_EQ(facts.bits, 16u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC16_BE, 5, 3), 30u);
}

// Every method, whole frames and a region at odd x and y, on one thread and
// several, rows a stride beyond their bytes at an odd address: the same
// bytes as the host-order samples, 8-bit and 16-bit outputs, with the
// corrections applied after the swap.
TEST(ByteOrder, ConversionsEqualTheHostOrderOnes) {
    std::mt19937 rng(29);
    const size_t w = 37, h = 26, stride = 2 * w + 5;
    for (const uint32_t bits : {10u, 16u})
        for (const bool corrected : {false, true})
            for (uint32_t method = 1; orvex_method_name(method) != nullptr; ++method) {
                std::vector<uint16_t> samples(w * h);
                for (uint16_t& s : samples) s = uint16_t(rng() & ((1u << bits) - 1));
                std::vector<uint8_t> big(1 + stride * h, 0x5A);
                for (size_t y = 0; y < h; ++y) {
                    const auto row =
                        HighByteFirst({samples.begin() + y * w, samples.begin() + (y + 1) * w});
                    std::copy(row.begin(), row.end(), big.begin() + 1 + y * stride);
                }
                const orvex_image host = Image(samples.data(), ORVEX_MOSAIC16, w, h, bits);
                orvex_image source = Image(big.data() + 1, ORVEX_MOSAIC16_BE, w, h, bits);
                source.stride = ptrdiff_t(stride);
                orvex_options options;
                orvex_init_options(&options);
                if (corrected) {
                    for (uint32_t& b : options.black) b = 40;
                    options.gain[0] = 1.7f;
                }
                for (const uint32_t format : {ORVEX_RGB24, ORVEX_RGB48})
                    for (const auto& [x, y, rw, rh] :
                         {std::array<size_t, 4>{0, 0, w, h}, {3, 5, 21, 17}}) {
                        SCOPED_TRACE(testing::Message()
                                     << "bits " << bits << " corrected " << corrected << " "
                                     << orvex_method_name(method) << " format " << format << " at "
                                     << x << "," << y);
                        const size_t bytes = orvex_image_bytes(format, uint32_t(rw), uint32_t(rh));
                        std::vector<uint8_t> a(bytes), b(bytes, 1);
                        const orvex_image da = Image(a.data(), format, rw, rh),
                                          db = Image(b.data(), format, rw, rh);
                        options.threads = 1;
                        ASSERT_EQ(orvex_demosaic_region(&host, uint32_t(x), uint32_t(y), &da,
                                                        method, &options),
                                  ORVEX_OK);
                        options.threads = 3;
                        ASSERT_EQ(orvex_demosaic_region(&source, uint32_t(x), uint32_t(y), &db,
                                                        method, &options),
                                  ORVEX_OK);
                        EXPECT_EQ(a, b);
                    }
            }
}

TEST(ByteOrder, Refusals) {
    std::vector<uint8_t> big(2 * 8 * 8), twice(2 * 8 * 16);
    std::vector<uint8_t> out(3 * 8 * 8);
    orvex_image src = Image(big.data(), ORVEX_MOSAIC16_BE, 8, 8, 8);  // 8 bits need bytes
    const orvex_image dst = Image(out.data(), ORVEX_RGB24, 8, 8);
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_MHC, nullptr), ORVEX_ERROR_ARGUMENT);
    src.bits = 0;
    ASSERT_EQ(orvex_demosaic(&src, &dst, ORVEX_MHC, nullptr), ORVEX_OK);
    // Zoomed rows would have to be swapped back: unpack first.
    const orvex_image tall = Image(twice.data(), ORVEX_MOSAIC16_BE, 8, 16);
    EXPECT_EQ(orvex_zoom_vertical(&src, &tall, nullptr), ORVEX_ERROR_UNSUPPORTED);
}

}  // namespace
