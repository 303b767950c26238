// The label font and its drawing: sizes, cell bounds, clipping and glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "sheet_text.h"

namespace {

using namespace orvex_tool;

constexpr uint16_t kUntouched = 7, kInk = 255;
constexpr uint32_t kMax = std::numeric_limits<uint32_t>::max();

Raster Canvas(uint32_t width, uint32_t height) {
    Raster r;
    r.width = width;
    r.height = height;
    r.channels = 3;
    r.samples.assign(size_t(width) * height * 3, kUntouched);
    return r;
}

// The ink of one 6 x 8 cell drawn at scale 1, row by row.
std::vector<bool> Bitmap(char ch) {
    Raster r = Canvas(8, 10);
    DrawLabel(r, 1, 1, std::string(1, ch), 1, kInk);
    std::vector<bool> bits;
    for (uint32_t y = 1; y < 9; ++y)
        for (uint32_t x = 1; x < 7; ++x) bits.push_back(r.At(x, y, 0) == kInk);
    return bits;
}

TEST(SheetText, Size) {
    EXPECT_EQ(TextWidth("", 1), 0u);
    EXPECT_EQ(TextWidth("abc", 2), 36u);
    EXPECT_EQ(TextWidth("\x01\xff", 3), 36u);  // one cell per byte, printable or not
    EXPECT_EQ(TextHeight(3), 24u);
    EXPECT_EQ(TextWidth("ab", 1u << 31), kMax);
    EXPECT_EQ(TextHeight(1u << 30), kMax);
}

// Ink stays in the 5 x 7 glyph area, the box in its one-unit margin around the
// cell, and nothing else changes.
TEST(SheetText, GlyphStaysInItsCell) {
    for (const char ch : {'I', '1', 'W', '@', '_', '\x7f'}) {
        for (const uint32_t s : {1u, 3u}) {
            Raster r = Canvas(40, 40);
            const uint32_t x0 = 5, y0 = 6;
            DrawLabel(r, x0, y0, std::string(1, ch), s, kInk);
            bool inked = false;
            for (uint32_t y = 0; y < r.height; ++y) {
                for (uint32_t x = 0; x < r.width; ++x) {
                    const uint16_t v = r.At(x, y, 0);
                    const bool glyph = x >= x0 && x < x0 + 5 * s && y >= y0 && y < y0 + 7 * s;
                    const bool box = x + s >= x0 && x < x0 + 7 * s && y + s >= y0 && y < y0 + 9 * s;
                    inked |= v == kInk;
                    EXPECT_TRUE(v != kInk || glyph) << ch << " x" << s << " " << x << "," << y;
                    EXPECT_EQ(v == kUntouched, !box) << ch << " x" << s << " " << x << "," << y;
                }
            }
            EXPECT_TRUE(inked) << ch;
        }
    }
}

// The samples run on into two guard rows, which no label may reach.
TEST(SheetText, ClipsAtTheEdges) {
    struct Case {
        uint32_t x, y, scale;
        std::string text;
        bool drawsInside;
    };
    for (const Case& c : std::vector<Case>{{0, 0, 2, "top left", true},
                                           {20, 10, 3, "off right and bottom", true},
                                           {0, 14, 1, "guard", true},
                                           {24, 16, 1, "corner", true},
                                           {25, 16, 1, "outside", false},
                                           {40, 40, 2, "far", false},
                                           {kMax, kMax, 1, "huge", false},
                                           {kMax, kMax, kMax, "margin reaches back", true},
                                           {3, 3, kMax, "big", true},
                                           {1, 1, 1, std::string(100000, 'M'), true}}) {
        Raster r = Canvas(24, 16);
        const size_t size = r.samples.size();
        r.samples.resize(size + 2 * 24 * 3, kUntouched);
        const std::vector<uint16_t> before = r.samples;
        DrawLabel(r, c.x, c.y, c.text, c.scale, kInk);
        const auto guard = r.samples.begin() + size;
        EXPECT_TRUE(std::equal(guard, r.samples.end(), before.begin() + size)) << c.text;
        EXPECT_EQ(!std::equal(r.samples.begin(), guard, before.begin()), c.drawsInside) << c.text;
    }
}

TEST(SheetText, GlyphsAreDistinctAndUpright) {
    std::set<std::vector<bool>> seen{Bitmap(' ')};
    for (int ch = 33; ch <= 127; ++ch) EXPECT_TRUE(seen.insert(Bitmap(char(ch))).second) << ch;
    EXPECT_EQ(Bitmap(' '), std::vector<bool>(48, false));
    EXPECT_EQ(Bitmap('\x01'), Bitmap('\x7f'));
    EXPECT_EQ(Bitmap('\xe9'), Bitmap('\x7f'));
    const std::vector<bool> slash = Bitmap('/');  // neither mirrored nor upside down
    EXPECT_TRUE(slash[4] && slash[6 * 6] && !slash[0] && !slash[6 * 6 + 4]);
}

}  // namespace
