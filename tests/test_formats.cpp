// The format listing: every public code listed once, with the facts that
// size its buffers, and the sizes the listing implies.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "orvex2.h"

namespace {

struct Expected {
    uint32_t code;
    const char* name;
    orvex_format_facts facts;  // mosaic, bits, channels, planar, has_alpha
    size_t bytes5x3;           // orvex_image_bytes(code, 5, 3); width 4 where 5 cannot be held
};

const Expected kExpected[] = {
    {ORVEX_MOSAIC8, "mosaic8", {1, 8, 1, 0, 0}, 15},
    {ORVEX_MOSAIC16, "mosaic16", {1, 16, 1, 0, 0}, 30},
    {ORVEX_MOSAIC10_MIPI, "raw10-mipi", {1, 10, 1, 0, 0}, 0},
    {ORVEX_MOSAIC12_MIPI, "raw12-mipi", {1, 12, 1, 0, 0}, 0},
    {ORVEX_MOSAIC14_MIPI, "raw14-mipi", {1, 14, 1, 0, 0}, 0},
    {ORVEX_MOSAIC10_PFNC, "raw10-pfnc", {1, 10, 1, 0, 0}, 21},  // ceil(50 / 8) a row
    {ORVEX_MOSAIC12_PFNC, "raw12-pfnc", {1, 12, 1, 0, 0}, 24},
    {ORVEX_MOSAIC12_GIGE, "raw12-gige", {1, 12, 1, 0, 0}, 0},
    {ORVEX_RGB24, "rgb24", {0, 8, 3, 0, 0}, 45},
    {ORVEX_BGR24, "bgr24", {0, 8, 3, 0, 0}, 45},
    {ORVEX_RGBA32, "rgba32", {0, 8, 4, 0, 1}, 60},
    {ORVEX_BGRA32, "bgra32", {0, 8, 4, 0, 1}, 60},
    {ORVEX_ARGB32, "argb32", {0, 8, 4, 0, 1}, 60},
    {ORVEX_RGB48, "rgb48", {0, 16, 3, 0, 0}, 90},
    {ORVEX_PLANAR_RGB24, "planar-rgb24", {0, 8, 3, 1, 0}, 45},
    {ORVEX_PLANAR_RGB48, "planar-rgb48", {0, 16, 3, 1, 0}, 90},
    {ORVEX_GRAY8, "gray8", {0, 8, 1, 0, 0}, 15},
    {ORVEX_GRAY16, "gray16", {0, 16, 1, 0, 0}, 30},
    {ORVEX_ABGR32, "abgr32", {0, 8, 4, 0, 1}, 60},
    {ORVEX_RGBA64, "rgba64", {0, 16, 4, 0, 1}, 120},
};

const Expected* Find(uint32_t code) {
    for (const Expected& e : kExpected)
        if (e.code == code) return &e;
    return nullptr;
}

TEST(Formats, ListingNamesAndFactsAgree) {
    std::set<uint32_t> listed;
    std::set<std::string> names;
    for (uint32_t i = 0; orvex_format_at(i) != 0; ++i) {
        const uint32_t code = orvex_format_at(i);
        SCOPED_TRACE(code);
        ASSERT_TRUE(listed.insert(code).second) << "listed twice";
        ASSERT_NE(orvex_format_name(code), nullptr);
        EXPECT_TRUE(names.insert(orvex_format_name(code)).second) << "name twice";
        orvex_format_facts facts;
        ASSERT_EQ(orvex_format_query(code, &facts), ORVEX_OK);
        const Expected* e = Find(code);
        if (e == nullptr) continue;  // a row added later: listed, named, described
        EXPECT_STREQ(orvex_format_name(code), e->name);
        EXPECT_EQ(std::memcmp(&facts, &e->facts, sizeof facts), 0);
        EXPECT_EQ(orvex_image_bytes(code, 5, 3), e->bytes5x3);
    }
    for (const Expected& e : kExpected) EXPECT_EQ(listed.count(e.code), 1u) << e.name;
}

TEST(Formats, GroupedPackingsSizeWholeGroups) {
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC10_MIPI, 8, 3), 30u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC12_MIPI, 4, 3), 18u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC14_MIPI, 8, 3), 42u);
    EXPECT_EQ(orvex_image_bytes(ORVEX_MOSAIC12_GIGE, 4, 3), 18u);
}

TEST(Formats, UnknownCodesHaveNoNameNoFactsNoSize) {
    orvex_format_facts facts;
    for (const uint32_t code : {0u, 9u, 15u, 31u, 0xFFFFFFFFu}) {
        if (Find(code) == nullptr && orvex_format_name(code) != nullptr) continue;  // added later
        EXPECT_EQ(orvex_format_name(code), nullptr) << code;
        EXPECT_EQ(orvex_format_query(code, &facts), ORVEX_ERROR_ARGUMENT) << code;
        EXPECT_EQ(orvex_image_bytes(code, 5, 3), 0u) << code;
    }
    EXPECT_EQ(orvex_format_query(ORVEX_RGB24, nullptr), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(orvex_format_at(0xFFFFFFFFu), 0u);
}

TEST(Formats, PatternNames) {
    const char* const expected[] = {"rggb", "grbg", "gbrg", "bggr"};
    for (uint32_t p = ORVEX_RGGB; p <= ORVEX_BGGR; ++p)
        EXPECT_STREQ(orvex_pattern_name(p), expected[p]);
    EXPECT_EQ(orvex_pattern_name(4), nullptr);
    EXPECT_EQ(orvex_pattern_name(0xFFFFFFFFu), nullptr);
}

}  // namespace
