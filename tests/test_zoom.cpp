// Vertical zoom against a per-site reference built from the row and site rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "orvex.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// Reference zoom on plain integers: rows of the destination, canary-filled.
std::vector<std::vector<uint32_t>> ReferenceZoom(const std::vector<std::vector<uint32_t>>& src,
                                                 uint32_t pattern, uint32_t canary) {
    const size_t H = src.size(), w = src[0].size(), h = 2 * H;
    std::vector<std::vector<uint32_t>> D(h, std::vector<uint32_t>(w, canary));
    for (size_t y = 0; y < H; ++y) D[2 * y + (y & 1)] = src[y];
    if (w < 5 || h < 6) return D;

    const size_t n = (w + w % 2 - 4) / 2;
    const bool colourCorner = pattern == RGGB || pattern == BGGR;
    // Even-phase rows (4k, 4k+2) hold greens at odd columns for colour-corner patterns.
    auto isGreen = [&](size_t r, size_t c) {
        const bool evenPhase = r % 4 == 0 || r % 4 == 2;
        return ((c % 2 == 1) == evenPhase) == colourCorner;
    };
    auto isFirst = [&](size_t c) { return c < 2; };
    auto isLast = [&](size_t c) {
        return (c % 2 == 0 && c == 2 * n + 2) || (c % 2 == 1 && w % 2 == 0 && c == 2 * n + 3);
    };
    auto third = [](uint32_t a, uint32_t b, uint32_t c) { return (a + b + c + 2) / 3; };
    const size_t bottom = h % 4 == 0 ? h - 2 : h - 1;

    for (size_t r = 1; r < h; ++r) {
        if (r % 4 != 1 && r % 4 != 2) continue;
        for (size_t c = 0; c < w; ++c) {
            uint32_t& out = D[r][c];
            if (r == 1 || r == bottom) {
                const bool rowOne = r == 1;
                const bool lastOdd = !rowOne && h % 4 != 0;  // row h - 1, no S
                const size_t copyRow = rowOne ? 3 : (lastOdd ? h - 3 : h - 4);
                const auto& Q = rowOne ? D[0] : (lastOdd ? D[h - 2] : D[h - 1]);
                if (!isGreen(r, c)) {
                    out = D[copyRow][c];
                } else if (lastOdd) {
                    if (c == 0)
                        out = Q[1];
                    else if (isLast(c))
                        out = Q[c - 1];
                    else
                        out = (Q[c - 1] + Q[c + 1] + 1) / 2;
                } else {
                    const uint32_t S = D[copyRow][c];
                    // Row 1 takes the middle formula at column 1 as well.
                    if (c == 0 || (c == 1 && !rowOne))
                        out = third(S, Q[c + 1], Q[c + 1]);
                    else if (isLast(c))
                        out = third(S, Q[c - 1], Q[c - 1]);
                    else
                        out = third(Q[c - 1], S, Q[c + 1]);
                }
            } else if (r <= h - 3) {
                const bool kindTwo = r % 4 == 2;
                if (!isGreen(r, c)) {
                    const size_t cc = isFirst(c) ? c + 2 : c;
                    out = kindTwo ? third(D[r - 2][cc], D[r - 2][cc], D[r + 2][cc])
                                  : third(D[r - 2][cc], D[r + 2][cc], D[r + 2][cc]);
                } else {
                    const uint32_t S = kindTwo ? D[r - 2][c] : D[r + 2][c];
                    const auto& Q = kindTwo ? D[r + 1] : D[r - 1];
                    if (isFirst(c))
                        out = third(S, Q[c + 1], Q[c + 1]);
                    else if (isLast(c))
                        out = third(S, Q[c - 1], Q[c - 1]);
                    else
                        out = third(Q[c - 1], S, Q[c + 1]);
                }
            }
        }
    }
    return D;
}

struct ZoomRun {
    GuardedBuffer dst;
    ImageDesc srcDesc, dstDesc;
};

// Runs the export on a source of rows with the given sample width.
std::vector<std::vector<uint32_t>> RunZoom(const std::vector<std::vector<uint32_t>>& rows,
                                           uint32_t pattern, size_t bytes, bool oddAddress,
                                           bool* guardsIntact = nullptr) {
    const size_t H = rows.size(), W = rows[0].size();
    GuardedBuffer src(W * H * bytes, oddAddress);
    for (size_t y = 0; y < H; ++y)
        for (size_t x = 0; x < W; ++x) {
            if (bytes == 2)
                Store16(src.data(), y * W + x, rows[y][x]);
            else
                src.data()[y * W + x] = static_cast<uint8_t>(rows[y][x]);
        }
    GuardedBuffer dst(W * 2 * H * bytes, oddAddress);
    ImageDesc s = MakeDesc(src.data(), bytes == 2 ? Bayer16 : Bayer8, W, H, 8, pattern);
    ImageDesc d = MakeDesc(dst.data(), Bayer8, W, 2 * H, 0, 0);
    const ImageDesc sBefore = s, dBefore = d;
    EXPECT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);
    EXPECT_EQ(std::memcmp(&s, &sBefore, sizeof s), 0);
    EXPECT_EQ(std::memcmp(&d, &dBefore, sizeof d), 0);
    if (guardsIntact) *guardsIntact = dst.GuardsIntact() && src.GuardsIntact();
    const Mosaic m{W, 2 * H, bytes, dst.data()};
    std::vector<std::vector<uint32_t>> out(2 * H, std::vector<uint32_t>(W));
    for (size_t y = 0; y < 2 * H; ++y)
        for (size_t x = 0; x < W; ++x) out[y][x] = m.At(y, x);
    return out;
}

uint32_t CanaryOf(size_t bytes) {
    return bytes == 2 ? 0xA5A5u : 0xA5u;
}

TEST(BayerZoom, WorkedExamples) {
    struct Example {
        uint32_t pattern;
        std::vector<std::vector<uint32_t>> src, expected;
    } const examples[] = {
        {RGGB,
         {{10, 20, 30, 40, 50}, {60, 70, 80, 90, 100}, {110, 120, 130, 140, 150}},
         {{10, 20, 30, 40, 50},
          {34, 70, 47, 90, 60},
          {64, 60, 64, 74, 84},
          {60, 70, 80, 90, 100},
          {110, 120, 130, 140, 150},
          {120, 70, 130, 90, 140}}},
        {GRBG,
         {{11, 22, 33, 44, 55, 66},
          {17, 28, 39, 50, 61, 72},
          {90, 80, 70, 60, 50, 40},
          {5, 15, 25, 35, 45, 55}},
         {{11, 22, 33, 44, 55, 66},
          {17, 24, 39, 46, 61, 61},
          {23, 50, 37, 50, 52, 58},
          {17, 28, 39, 50, 61, 72},
          {90, 80, 70, 60, 50, 40},
          {30, 52, 30, 52, 51, 52},
          {40, 80, 40, 60, 40, 40},
          {5, 15, 25, 35, 45, 55}}},
    };
    for (const Example& e : examples) {
        for (size_t bytes : {1, 2}) {
            EXPECT_EQ(RunZoom(e.src, e.pattern, bytes, false), e.expected) << bytes;
            EXPECT_EQ(ReferenceZoom(e.src, e.pattern, 0), e.expected);
        }
    }
}

TEST(BayerZoom, MatchesReferenceOnRandomMosaics) {
    std::mt19937 rng(7);
    const size_t widths[] = {5, 6, 7, 8, 9, 12, 13, 20, 33, 40};
    const size_t heights[] = {3, 4, 5, 6, 7, 8, 11, 20};
    for (uint32_t pattern : {RGGB, GRBG, GBRG, BGGR}) {
        for (size_t bytes : {1, 2}) {
            for (size_t W : widths) {
                for (size_t H : heights) {
                    SCOPED_TRACE(testing::Message() << PatternName(pattern) << " " << W << "x" << H
                                                    << " bytes " << bytes);
                    std::vector<std::vector<uint32_t>> src(H, std::vector<uint32_t>(W));
                    const uint32_t mask = bytes == 2 ? 0xFFFF : 0xFF;
                    for (auto& row : src)
                        for (auto& v : row) v = rng() & mask;
                    bool intact = false;
                    const auto got = RunZoom(src, pattern, bytes, (W + H) % 2 == 1, &intact);
                    ASSERT_EQ(got, ReferenceZoom(src, pattern, CanaryOf(bytes)));
                    ASSERT_TRUE(intact);
                }
            }
        }
    }
}

TEST(BayerZoom, WidthsBeyondSixteenBitRowOffsets) {
    std::mt19937 rng(11);
    const size_t W = 21901, H = 5;
    for (size_t bytes : {1, 2}) {
        std::vector<std::vector<uint32_t>> src(H, std::vector<uint32_t>(W));
        for (auto& row : src)
            for (auto& v : row) v = rng() & (bytes == 2 ? 0xFFFF : 0xFF);
        bool intact = false;
        EXPECT_EQ(RunZoom(src, GBRG, bytes, false, &intact),
                  ReferenceZoom(src, GBRG, CanaryOf(bytes)));
        EXPECT_TRUE(intact);
    }
}

TEST(BayerZoom, ExtremeSamples) {
    // Row 2 colour site: 65535 above, 0 below: (131070 + 0 + 2) / 3.
    std::vector<std::vector<uint32_t>> src(3, std::vector<uint32_t>(5, 0));
    src[0] = {65535, 0, 65535, 0, 65535};
    EXPECT_EQ(RunZoom(src, RGGB, 2, false)[2][2], 43690u);

    for (size_t bytes : {1, 2}) {
        const uint32_t top = bytes == 2 ? 65535 : 255;
        for (uint32_t pattern : {RGGB, GRBG, GBRG, BGGR}) {
            const std::vector<std::vector<uint32_t>> flat(7, std::vector<uint32_t>(9, top));
            EXPECT_EQ(RunZoom(flat, pattern, bytes, true), ReferenceZoom(flat, pattern, top));
            EXPECT_EQ(ReferenceZoom(flat, pattern, 0), ReferenceZoom(flat, pattern, top));
        }
    }
}

TEST(BayerZoom, SmallImagesRunOnlyTheSpreadPass) {
    for (size_t bytes : {1, 2}) {
        for (const auto& [W, H] : {std::pair<size_t, size_t>{4, 6}, {9, 1}, {9, 2}, {3, 3}}) {
            std::vector<std::vector<uint32_t>> src(H, std::vector<uint32_t>(W, 9));
            auto expected = std::vector<std::vector<uint32_t>>(
                2 * H, std::vector<uint32_t>(W, CanaryOf(bytes)));
            for (size_t y = 0; y < H; ++y) expected[2 * y + (y & 1)] = src[y];
            EXPECT_EQ(RunZoom(src, RGGB, bytes, false), expected) << W << "x" << H;
        }
    }
}

TEST(BayerZoom, WritesNothingForRefusedInput) {
    struct Case {
        const char* what;
        uint32_t srcFormat, W, H, dstW, dstH, pattern;
        bool spreads;
    } const cases[] = {
        {"mono source", Mono8, 6, 4, 6, 8, RGGB, false},
        {"raw 16 source", Raw16, 6, 4, 6, 8, RGGB, false},
        {"narrower destination", Bayer8, 6, 4, 5, 8, RGGB, false},
        {"shorter destination", Bayer8, 6, 4, 6, 7, RGGB, false},
        {"taller destination", Bayer8, 6, 4, 6, 9, RGGB, false},
        {"width beyond 16 bits", Bayer8, 65537, 1, 65537, 2, RGGB, false},
        {"pattern out of range", Bayer8, 6, 4, 6, 8, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> mosaic(size_t(c.W) * c.H * 2, 9);
        const size_t size = size_t(c.W) * c.H * 4;
        GuardedBuffer out(size);
        ImageDesc s = MakeDesc(mosaic.data(), c.srcFormat, c.W, c.H, 8, c.pattern);
        ImageDesc d = MakeDesc(out.data(), Bayer8, c.dstW, c.dstH, 8, c.pattern);
        EXPECT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);
        EXPECT_TRUE(out.GuardsIntact());
        const auto bytes = out.Payload();
        size_t written = 0;
        for (uint8_t b : bytes) written += b != kCanary;
        // The spread pass alone writes the copied half of the rows.
        EXPECT_EQ(written, c.spreads ? size / 2 / 2 : 0u);
    }
}

}  // namespace
