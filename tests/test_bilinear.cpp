// Bilinear demosaic against a per-pixel reference built from the site rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "api/entry_points.h"
#include "bilinear/bilinear_passes.h"
#include "core/stream_copy.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "orvex.h"
#include "orvex2.h"
#include "test_support.h"

namespace {

using namespace testsupport;

std::vector<uint8_t> ReferenceBilinear(const Mosaic& m, uint32_t pattern, const LayoutRef& l,
                                       std::vector<uint8_t> canvas) {
    for (size_t y = 1; y + 1 < m.h; ++y) {
        for (size_t x = 1; x + 1 < m.w; ++x) {
            const uint32_t c = m.At(y, x);
            const uint32_t cross =
                (m.At(y, x - 1) + m.At(y, x + 1) + m.At(y - 1, x) + m.At(y + 1, x) + 2) >> 2;
            const uint32_t diag = (m.At(y - 1, x - 1) + m.At(y - 1, x + 1) + m.At(y + 1, x - 1) +
                                   m.At(y + 1, x + 1) + 2) >>
                                  2;
            const uint32_t horiz = (m.At(y, x - 1) + m.At(y, x + 1) + 1) >> 1;
            const uint32_t vert = (m.At(y - 1, x) + m.At(y + 1, x) + 1) >> 1;
            switch (SiteColour(pattern, y, x)) {
                case 'R':
                    PutPixel(canvas.data(), l, m.w, m.h, x, y, c, cross, diag);
                    break;
                case 'B':
                    PutPixel(canvas.data(), l, m.w, m.h, x, y, diag, cross, c);
                    break;
                default:
                    if (SiteColour(pattern, y, x - 1) == 'R')
                        PutPixel(canvas.data(), l, m.w, m.h, x, y, horiz, c, vert);
                    else
                        PutPixel(canvas.data(), l, m.w, m.h, x, y, vert, c, horiz);
            }
        }
    }
    return canvas;
}

class BilinearLayouts : public testing::TestWithParam<LayoutPattern> {};

TEST_P(BilinearLayouts, MatchesReferenceOnRandomMosaics) {
    const auto& [layout, pattern] = GetParam();
    const std::vector<std::pair<size_t, size_t>> sizes = {
        {3, 3}, {4, 4}, {3, 4},   {4, 3},   {8, 8},  {9, 9}, {8, 9},
        {9, 8}, {5, 3}, {17, 12}, {33, 25}, {64, 5}, {2, 9}, {9, 2}};
    CheckAgainstReference(MethodBilinear, layout, pattern, sizes, ReferenceBilinear, 100);
}

INSTANTIATE_TEST_SUITE_P(AllLayoutsAndPatterns, BilinearLayouts,
                         testing::Combine(testing::ValuesIn(ColourLayouts()),
                                          testing::Values(RGGB, GRBG, GBRG, BGGR)),
                         LayoutPatternName);

// One interior pixel (1, 1) of a 3 x 3 mosaic.
struct RoundingCase {
    const char* what;
    uint32_t pattern;
    uint32_t mosaic[9];
    uint32_t r, g, b;
};

TEST(BilinearRounding, MeansRoundHalfUp) {
    const RoundingCase cases[] = {
        // RGGB centre is blue: G = cross, R = diagonal.
        {"cross 1,1,0,0 and diagonal 1,0,0,0", RGGB, {1, 1, 0, 1, 9, 0, 0, 0, 0}, 0, 1, 9},
        {"cross 1,1,1,0 and diagonal 1,1,0,0", RGGB, {1, 1, 1, 1, 9, 1, 0, 0, 0}, 1, 1, 9},
        // GRBG centre is green on a blue row: R above/below, B left/right.
        {"two neighbours 0 and 1", GRBG, {0, 0, 0, 1, 5, 0, 0, 1, 0}, 1, 5, 1},
        {"all 65535",
         BGGR,
         {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535},
         65535,
         65535,
         65535},
        {"65535 and 65534", GRBG, {0, 65535, 0, 65534, 7, 65535, 0, 65534, 0}, 65535, 7, 65535},
    };
    for (const RoundingCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const uint32_t format : {RGB24, RGB48}) {
            const bool wide = format == RGB48;
            uint8_t mosaic[18];
            for (size_t i = 0; i < 9; ++i) {
                if (wide)
                    Store16(mosaic, i, c.mosaic[i]);
                else
                    mosaic[i] = static_cast<uint8_t>(c.mosaic[i]);
            }
            if (!wide && c.mosaic[1] > 255) continue;
            uint8_t out[54] = {};
            ImageDesc src = MakeDesc(mosaic, wide ? Bayer16 : Bayer8, 3, 3, 16, c.pattern);
            ImageDesc dst = MakeDesc(out, format, 0, 0, 0, 0);
            Orvex_BayerToRgb(MethodBilinear, &src, &dst);
            const size_t px = 4 * 3;  // sample index of pixel (1, 1)
            auto at = [&](size_t i) { return wide ? Load16(out, px + i) : out[px + i]; };
            EXPECT_EQ(at(0), c.r);
            EXPECT_EQ(at(1), c.g);
            EXPECT_EQ(at(2), c.b);
        }
    }
}

TEST(BilinearRounding, WritesNothingForUnsupportedInput) {
    struct Case {
        uint32_t format, w, h, pattern;
    } const cases[] = {{RGB24, 2, 8, RGGB},    {RGB24, 8, 2, RGGB},  {RGB24, 8, 8, 4},
                       {Bayer8, 8, 8, RGGB},   {Mono16, 8, 8, RGGB}, {13, 8, 8, RGGB},
                       {RGB24, 65538, 4, RGGB}};
    for (const Case& c : cases) {
        const uint32_t size = Orvex_CalcImageSize(c.format, c.w, c.h);
        std::vector<uint8_t> mosaic(size_t(c.w) * c.h, 7);
        GuardedBuffer out(size);
        ImageDesc src = MakeDesc(mosaic.data(), Bayer8, c.w, c.h, 8, c.pattern);
        ImageDesc dst = MakeDesc(out.data(), c.format, 0, 0, 0, 0);
        EXPECT_EQ(Orvex_BayerToRgb(MethodBilinear, &src, &dst), 0);
        EXPECT_EQ(out.Payload(), std::vector<uint8_t>(size, kCanary)) << c.format << " " << c.w;
        EXPECT_TRUE(out.GuardsIntact());
    }
}

}  // namespace

namespace {

// The fused rows against the four-pass drivers, across chunk and vector
// boundaries, at every vector width, in every colour layout (R-first and
// B-first channel orders, planes, three- and four-sample pixels). Widths
// just below, at and over one and two runs of the widest kernel (64 columns
// and a neighbour either side), odd and even, take each way a row can end:
// scalar pixels only, edge runs overlapping or meeting, a run between them,
// and a right edge run from an odd column.
TEST(BilinearRows, MatchFourPassDrivers) {
    std::vector<std::pair<size_t, size_t>> sizes = {
        {3, 3}, {4, 5}, {9, 8}, {257, 4}, {258, 5}, {513, 3}, {600, 7}, {31, 33}, {35, 4}};
    for (const size_t w :
         {63, 64, 65, 66, 67, 68, 69, 70, 97, 128, 129, 130, 131, 132, 133, 194, 195})
        for (const size_t h : {2, 3, 5}) sizes.emplace_back(w, h);
    uint32_t seed = 900;
    for (const auto level : kSimdLevels) {
        for (const auto& [w, h] : sizes) {
            for (const LayoutRef& l : ColourLayouts()) {
                for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " " << l.name << " pattern "
                                                    << pattern << " level " << level);
                    const size_t bytes = l.sampleBytes;
                    GuardedBuffer mosaic(w * h * bytes, true);
                    FillRandom(mosaic.data(), mosaic.size(), seed++);
                    const size_t size = Orvex_CalcImageSize(l.format, w, h);
                    GuardedBuffer fused(size), passes(size);
                    ImageDesc src = MakeDesc(mosaic.data(), Bayer8, w, h, 8, pattern);
                    ImageDesc dst = MakeDesc(fused.data(), l.format, w, h, 8, pattern);
                    const auto [from, to] = ContiguousViews(src, dst, l);
                    orvex::BilinearDemosaic(orvex::WholeFrame(from, to), level);
                    // Channel starts of pixel 0: planes w x h apart, or samples of a pixel.
                    const size_t unit = l.planar ? w * h * bytes : bytes;
                    const size_t step = l.planar ? 1 : l.samplesPerPixel;
                    (bytes == 2 ? orvex::BilinearDemosaic16 : orvex::BilinearDemosaic8)(
                        pattern, mosaic.data(), uint16_t(w), uint16_t(h),
                        passes.data() + l.r * unit, passes.data() + l.g * unit,
                        passes.data() + l.b * unit, uint8_t(step));
                    ASSERT_EQ(fused.Payload(), passes.Payload());
                    ASSERT_TRUE(fused.GuardsIntact());
                }
            }
        }
    }
}

// Four-byte pixels written whole with their alpha (opaque, alpha after the
// channels) or channels and alpha apart (other alphas and orders): regions
// at odd columns ending inside the frame equal the whole conversion there,
// alpha included, and no byte between the rows or around them changes.
TEST(BilinearRows, FourBytePixelsOfRegionsAtEveryLevel) {
    const size_t fw = 203, fh = 9, x = 5, y = 2, w = 131, h = 5, pad = 12;
    std::vector<uint8_t> mosaic(fw * fh);
    FillRandom(mosaic.data(), mosaic.size(), 77);
    orvex_image src{mosaic.data(), ptrdiff_t(fw), 0,          uint32_t(fw),
                    uint32_t(fh),  ORVEX_MOSAIC8, ORVEX_GBRG, 0};
    for (const uint32_t format : {ORVEX_BGRA32, ORVEX_RGBA32, ORVEX_ARGB32, ORVEX_ABGR32})
        for (const uint32_t alpha : {255u, 0x80u})
            for (const auto level : kSimdLevels) {
                SCOPED_TRACE(testing::Message()
                             << "format " << format << " alpha " << alpha << " level " << level);
                orvex_options o;
                orvex_init_options(&o);
                o.alpha = alpha;
                o.threads = 1;
                std::vector<uint8_t> whole(4 * fw * fh);
                orvex_image all{whole.data(), 0, 0, uint32_t(fw), uint32_t(fh), format, 0, 0};
                ASSERT_EQ(orvex::api::Demosaic(&src, 0, 0, &all, ORVEX_BILINEAR, &o, true, level),
                          ORVEX_OK);
                const size_t stride = 4 * w + pad;
                GuardedBuffer part(stride * h);
                orvex_image region{
                    part.data(), ptrdiff_t(stride), 0, uint32_t(w), uint32_t(h), format, 0, 0};
                ASSERT_EQ(orvex::api::Demosaic(&src, uint32_t(x), uint32_t(y), &region,
                                               ORVEX_BILINEAR, &o, false, level),
                          ORVEX_OK);
                for (size_t r = 0; r < h; ++r) {
                    const uint8_t* got = part.data() + r * stride;
                    const uint8_t* want = whole.data() + 4 * ((y + r) * fw + x);
                    ASSERT_TRUE(std::equal(got, got + 4 * w, want)) << "row " << r;
                    for (size_t k = 4 * w; k < stride; ++k) ASSERT_EQ(got[k], kCanary) << r;
                    for (size_t p = 0; p < w; ++p)
                        ASSERT_EQ(
                            got[4 * p + (format == ORVEX_BGRA32 || format == ORVEX_RGBA32 ? 3 : 0)],
                            alpha);
                }
                ASSERT_TRUE(part.GuardsIntact());
            }
}

// Opaque four-byte outputs from the streaming size on are streamed from
// each row's first whole line on: rows starting at every 8-byte offset in a
// line, on an odd address (no streaming), a region at an odd column inside
// the frame, in two bands; and regions touching the frame's edges (whose
// edge columns keep the single-site path when streamed), the whole frame or
// the right edge from an even and an odd column. Every level equals the
// portable loops' bytes and leaves the row padding alone.
TEST(BilinearRows, StreamedOutputsAtEveryLevel) {
    const struct {
        size_t w, x, y, pad, right, below;  // the frame: right and below the region
        uint32_t pattern;
        bool layoutsAndAddresses;  // RGBA32 too, and an odd address
        size_t modulo;             // the stride modulo 64, 0 unchecked
    } kCases[] = {
        {1029, 3, 1, 20, 1, 0, ORVEX_GRBG, true, 40},  // every 8-byte offset in turn
        {1040, 0, 0, 8, 0, 0, ORVEX_RGGB, false, 0},
        {1024, 16, 0, 8, 0, 0, ORVEX_RGGB, false, 0},
        {1009, 31, 0, 8, 0, 0, ORVEX_RGGB, false, 0},
    };
    orvex_options o;
    orvex_init_options(&o);
    o.threads = 2;
    for (const auto& c : kCases) {
        const size_t w = c.w, stride = 4 * w + c.pad;
        const size_t h =
            std::max<size_t>(1030, (orvex::StreamingOutputBytes() / (4 * w) + 3) & ~size_t(1));
        const size_t fw = c.x + w + c.right, fh = c.y + h + c.below;
        const bool whole = fw == w && fh == h;
        std::vector<uint8_t> mosaic(fw * fh);
        FillRandom(mosaic.data(), mosaic.size(), uint32_t(91 + c.w));
        const orvex_image src{mosaic.data(), ptrdiff_t(fw), 0,         uint32_t(fw),
                              uint32_t(fh),  ORVEX_MOSAIC8, c.pattern, 0};
        if (c.modulo) {
            ASSERT_EQ(stride % 64, c.modulo);
        }
        ASSERT_GE(4 * w * h, orvex::StreamingOutputBytes());
        for (const uint32_t format : {ORVEX_BGRA32, ORVEX_RGBA32})
            for (const bool odd : {false, true}) {
                if (!c.layoutsAndAddresses && (odd || format != ORVEX_BGRA32)) continue;
                std::vector<uint8_t> want;
                for (const auto level : kSimdLevels) {
                    SCOPED_TRACE(testing::Message()
                                 << "region " << c.x << "," << c.y << " format " << format
                                 << " odd " << odd << " level " << level);
                    GuardedBuffer out(stride * h, odd);
                    orvex_image dst{
                        out.data(), ptrdiff_t(stride), 0, uint32_t(w), uint32_t(h), format, 0, 0};
                    ASSERT_EQ(orvex::api::Demosaic(&src, uint32_t(c.x), uint32_t(c.y), &dst,
                                                   ORVEX_BILINEAR, &o, whole, level),
                              ORVEX_OK);
                    for (size_t r = 0; r < h; ++r)
                        for (size_t k = 4 * w; k < stride; ++k)
                            ASSERT_EQ(out.data()[r * stride + k], kCanary) << "row " << r;
                    ASSERT_TRUE(out.GuardsIntact());
                    if (want.empty())
                        want = out.Payload();
                    else
                        ASSERT_TRUE(out.Payload() == want);
                }
            }
    }
}

}  // namespace
