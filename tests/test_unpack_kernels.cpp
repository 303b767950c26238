// The vector kernels of the MIPI row unpackers at every level: rows at
// every byte offset, ending where their buffer ends (so a read past the row
// leaves it, which the sanitizer builds report), into guarded samples.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "orvex2.h"
#include "test_support.h"
#include "unpack/unpack_rows.h"

namespace {

// RAW10: four high bytes, then the four low bit pairs from bit 0 up; RAW12:
// two high bytes, then both low nibbles, the first sample's below.
std::vector<uint8_t> Packed(bool raw10, const std::vector<uint16_t>& s) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < s.size(); i += raw10 ? 4 : 2) {
        if (raw10) {
            uint8_t low = 0;
            for (size_t k = 0; k < 4; ++k) {
                out.push_back(uint8_t(s[i + k] >> 2));
                low = uint8_t(low | (s[i + k] & 3) << (2 * k));
            }
            out.push_back(low);
        } else {
            out.insert(out.end(), {uint8_t(s[i] >> 4), uint8_t(s[i + 1] >> 4),
                                   uint8_t((s[i + 1] & 15) << 4 | (s[i] & 15))});
        }
    }
    return out;
}

TEST(UnpackKernels, KeepToTheRowAtEveryOffsetAndLevel) {
    std::mt19937 rng(12);
    for (const bool raw10 : {true, false})
        for (const size_t width : {16, 20, 24, 40, 56, 96})
            for (const size_t offset : {0, 1, 3}) {
                std::vector<uint16_t> samples(width);
                for (uint16_t& s : samples) s = uint16_t(rng() & (raw10 ? 1023 : 4095));
                const std::vector<uint8_t> packed = Packed(raw10, samples);
                std::vector<uint8_t> row(offset, 0xEE);
                row.insert(row.end(), packed.begin(), packed.end());
                const orvex::Packing* packing = orvex::FindPacking(
                    raw10 ? orvex::kFormatMosaic10Mipi : orvex::kFormatMosaic12Mipi);
                ASSERT_NE(packing, nullptr);
                for (const auto level : testsupport::kSimdLevels) {
                    testsupport::GuardedBuffer out(2 * width);
                    orvex::RowUnpacker(*packing, level)
                        .Unpack(row.data() + offset, width,
                                reinterpret_cast<uint16_t*>(out.data()));
                    SCOPED_TRACE(testing::Message()
                                 << (raw10 ? "raw10" : "raw12") << " width " << width << " offset "
                                 << offset << " " << level);
                    EXPECT_TRUE(out.GuardsIntact());
                    EXPECT_EQ(0, std::memcmp(out.data(), samples.data(), 2 * width));
                }
            }
}

}  // namespace
