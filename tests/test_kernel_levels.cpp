// Each kernel family at each instruction-set level against the same family's
// portable loops, one test per family and level (the level in its name), into
// every output layout of the format table: regions off the frame's corner,
// several bands, stored and bit-packed mosaics.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "api/entry_points.h"
#include "core/formats.h"
#include "orvex2.h"
#include "pack/pack_rows.h"
#include "test_support.h"

namespace {

using orvex::SimdFeatures;
using Outputs = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

struct Family {
    const char* name;
    uint32_t method;  // 0: the pack stage alone
};

void PrintTo(const Family& f, std::ostream* out) {
    *out << f.name;
}

const Family kFamilies[] = {{"pack", 0},
                            {"bilinear", ORVEX_BILINEAR},
                            {"block", ORVEX_BLOCK},
                            {"cubic_float", ORVEX_CUBIC_FLOAT},
                            {"cubic_fixed", ORVEX_CUBIC_FIXED},
                            {"mhc", ORVEX_MHC},
                            {"dlmmse", ORVEX_DLMMSE},
                            {"ri", ORVEX_RI}};

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
    std::vector<uint8_t> bytes(n);
    std::mt19937 rng(seed);
    for (auto& b : bytes) b = uint8_t(rng());
    return bytes;
}

// Every colour layout's row from pixel 1 on, samples kept or narrowed, with
// and without alpha.
Outputs PackRows(SimdFeatures level) {
    Outputs out;
    for (const orvex::FormatRow& f : orvex::kFormats) {
        if (f.role != orvex::FormatRole::Output) continue;
        const orvex::ChannelLayout& l = f.layout;
        for (const uint32_t bits : {0u, 12u})
            for (const bool alpha : {false, true})
                for (const size_t width : {7u, 33u, 70u}) {
                    const size_t planeStride = width * l.sampleBytes * (l.planar ? 1 : l.step) + 3;
                    std::vector<uint8_t> row = Random(planeStride * (l.planar ? 3 : 1), 5);
                    const orvex::ImageView view{row.data(),
                                                ptrdiff_t(planeStride),
                                                ptrdiff_t(planeStride),
                                                uint32_t(width),
                                                1,
                                                f.core,
                                                0};
                    std::vector<uint16_t> v[3];
                    for (size_t c = 0; c < 3; ++c) {
                        const std::vector<uint8_t> r = Random(2 * width, uint32_t(c + width));
                        v[c].assign(reinterpret_cast<const uint16_t*>(r.data()),
                                    reinterpret_cast<const uint16_t*>(r.data()) + width);
                    }
                    const orvex::PackPlan plan(view, {alpha, 0xC3, bits}, level);
                    plan.Put(plan.Row(view, 0), 1, width - 1, v[0].data(), v[1].data(),
                             v[2].data());
                    out.emplace_back(std::string(f.name) + " bits " + std::to_string(bits) +
                                         " alpha " + std::to_string(alpha) + " width " +
                                         std::to_string(width),
                                     std::move(row));
                }
    }
    return out;
}

struct Source {
    uint32_t format, bits;
};
const Source kSources[] = {{ORVEX_MOSAIC8, 8}, {ORVEX_MOSAIC16, 12}, {ORVEX_MOSAIC10_MIPI, 0}};

// The method's region (3, 1) .. of a 68 x 22 frame in three bands into
// every output layout.
Outputs MethodRegions(uint32_t method, SimdFeatures level) {
    constexpr uint32_t kW = 68, kH = 22, kX = 3, kY = 1;
    Outputs out;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = 3;
    for (const Source& s : kSources) {
        std::vector<uint8_t> mosaic = Random(orvex_image_bytes(s.format, kW, kH), method);
        if (s.format == ORVEX_MOSAIC16)
            for (size_t i = 1; i < mosaic.size(); i += 2) mosaic[i] &= 0x0F;
        const orvex_image src{mosaic.data(), 0, 0, kW, kH, s.format, 2, s.bits};
        for (uint32_t i = 0; orvex_format_at(i) != 0; ++i) {
            const uint32_t format = orvex_format_at(i);
            orvex_format_facts facts{};
            if (orvex_format_query(format, &facts) != ORVEX_OK || facts.mosaic) continue;
            const uint32_t w = kW - kX - 2, h = kH - kY - 2;
            std::vector<uint8_t> bytes = Random(orvex_image_bytes(format, w, h), format);
            const orvex_image dst{bytes.data(), 0, 0, w, h, format, 0, 0};
            const int status =
                orvex::api::Demosaic(&src, kX, kY, &dst, method, &options, false, level);
            EXPECT_EQ(status, ORVEX_OK) << orvex_format_name(format);
            out.emplace_back(
                std::string(orvex_format_name(format)) + " from " + orvex_format_name(s.format),
                std::move(bytes));
        }
    }
    return out;
}

Outputs Convert(const Family& family, SimdFeatures level) {
    return family.method == 0 ? PackRows(level) : MethodRegions(family.method, level);
}

using FamilyLevel = std::tuple<Family, SimdFeatures>;
class KernelLevelTest : public testing::TestWithParam<FamilyLevel> {};

TEST_P(KernelLevelTest, WritesThePortableBytes) {
    const auto& [family, level] = GetParam();
    const Outputs want = Convert(family, orvex::kPortable), got = Convert(family, level);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i].second, want[i].second) << want[i].first;
}

std::string FamilyLevelName(const testing::TestParamInfo<FamilyLevel>& info) {
    std::string name =
        std::string(std::get<0>(info.param).name) + "_" + orvex::SimdName(std::get<1>(info.param));
    for (char& c : name)
        if (c == '+') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Families, KernelLevelTest,
                         testing::Combine(testing::ValuesIn(kFamilies),
                                          testing::ValuesIn(testsupport::kSimdLevels)),
                         FamilyLevelName);

}  // namespace
