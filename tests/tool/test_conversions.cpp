// The tool's conversions: every container in and out, the methods and
// layouts of the second interface, and the exports' results kept inside.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image_io.h"
#include "orvex.h"
#include "orvex2.h"
#include "tool_mosaics.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using namespace orvex_test;
using ToolTest = ToolFolder;

// The exports' conversion of the same mosaic into a zeroed buffer (alpha 255).
std::vector<uint8_t> Exports(const Raster& m, uint32_t method, uint32_t format) {
    const bool wide = format == RGB48 || format == PlanarRGB48;
    const bool cubic = method == MethodBicubicFloat || method == MethodBicubicFixed;
    Raster source = m;
    if (!cubic) source.bitDepth = wide ? 16 : 8;  // block and bilinear read the layout's width
    std::vector<uint8_t> src = RawBytes(source);
    std::vector<uint8_t> dst(Orvex_CalcImageSize(format, m.width, m.height), 0);
    if (format == BGRA32 || format == ARGB32)
        for (size_t i = format == BGRA32 ? 3 : 0; i < dst.size(); i += 4) dst[i] = 255;
    ImageDesc s{}, d{};
    s.data = src.data();
    s.format = source.Wide() ? Bayer16 : Bayer8;
    s.width = m.width;
    s.height = m.height;
    s.bitDepth = static_cast<uint16_t>(m.bitDepth);
    d.data = dst.data();
    d.format = format;
    Orvex_BayerToRgb(method, &s, &d);
    return dst;
}

std::string AsString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(ToolTest, EveryInputContainerToEveryOutputContainer) {
    for (const uint32_t depth : {8u, 12u}) {
        const Raster mosaic = RandomMosaic(14, 10, depth, depth);
        const bool wide = depth > 8;
        const std::string rawArgs = " --width 14 --height 10 --depth " + std::to_string(depth);
        WriteBytes(Path("in.raw"), RawBytes(mosaic), true);
        WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
        Raster stored = mosaic;
        stored.bitDepth = wide ? 16 : 8;  // PNG and TIFF hold 8 or 16 bits
        WriteImage(Path("in.png"), stored, Container::Png, true);
        WriteImage(Path("in.tif"), stored, Container::Tiff, true);

        for (const char* method : {"bilinear", "cubic-fixed"}) {
            const uint32_t code =
                std::string(method) == "bilinear" ? ORVEX_BILINEAR : ORVEX_CUBIC_FIXED;
            for (const char* in : {"in.raw", "in.pgm", "in.png", "in.tif"}) {
                // PNG and TIFF carry no significant-bit count: their samples
                // count as 16-bit, which sets the cubic methods' ceiling.
                const bool padded = in == std::string("in.png") || in == std::string("in.tif");
                const auto expected =
                    Direct(padded ? stored : mosaic, code, wide ? ORVEX_RGB48 : ORVEX_RGB24);
                for (const char* ext : {"png", "tif", "ppm", "raw"}) {
                    SCOPED_TRACE(testing::Message()
                                 << depth << "-bit " << in << " -> " << ext << " " << method);
                    const std::string out = Path(std::string("out.") + ext);
                    const ToolRun r = Tool(std::string("convert ") + Path(in) + " " + out +
                                           " --method " + method + rawArgs);
                    ASSERT_EQ(r.status, 0) << r.err;
                    if (std::string(ext) == "raw") {
                        std::ifstream f(out, std::ios::binary);
                        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
                        EXPECT_EQ(bytes, expected);
                    } else {
                        // PNG and TIFF hold 12-bit results scaled to 16 bits;
                        // PPM states 4095 as its maximum.
                        const bool scaled = wide && !padded && std::string(ext) != "ppm";
                        const LoadedImage got = ReadImage(out, {});
                        EXPECT_EQ(got.raster.channels, 3u);
                        EXPECT_EQ(got.raster.samples,
                                  scaled ? Scaled(SamplesOf(expected, wide), depth, 16)
                                         : SamplesOf(expected, wide));
                    }
                    fs::remove(out);
                }
            }
        }
        EXPECT_EQ(ReadImage(Path("in.pgm"), {}).raster.samples, mosaic.samples);
    }
}

// The second interface's methods convert through it: the raw output is its
// bytes for the layout, every pixel written, alpha 255.
TEST_F(ToolTest, QualityMethodsConvertThroughTheSecondInterface) {
    struct Case {
        const char* method;
        uint32_t depth;
        const char* layout;
        uint32_t format;
    } const cases[] = {{"mhc", 8, "BGRA32", ORVEX_BGRA32},
                       {"dlmmse", 8, "PlanarRGB24", ORVEX_PLANAR_RGB24},
                       {"dlmmse", 12, "RGB48", ORVEX_RGB48}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const Raster mosaic = RandomMosaic(21, 13, c.depth, c.depth);
        WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
        const ToolRun r = Tool("convert " + Path("in.pgm") + " " + Path("out.raw") + " --method " +
                               c.method + " --layout " + c.layout + " --pattern GRBG --force");
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<uint8_t> src = RawBytes(mosaic);
        orvex_image in{}, out{};
        in.data = src.data();
        in.width = 21;
        in.height = 13;
        in.format = c.depth > 8 ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
        in.pattern = ORVEX_GRBG;
        in.bits = c.depth;
        std::vector<uint8_t> expected(orvex_image_bytes(c.format, 21, 13));
        out.data = expected.data();
        out.width = 21;
        out.height = 13;
        out.format = c.format;
        ASSERT_EQ(
            orvex_demosaic(&in, &out, std::string(c.method) == "mhc" ? ORVEX_MHC : ORVEX_DLMMSE,
                           nullptr),
            ORVEX_OK);
        std::ifstream f(Path("out.raw"), std::ios::binary);
        EXPECT_EQ(std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), {}), expected);
    }
}

TEST_F(ToolTest, AlphaAndPlanarLayouts) {
    const Raster mosaic = RandomMosaic(9, 7, 8, 3);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    // A layout with alpha gives RGBA images, alpha 255; names keep their
    // former spelling (BGRA32, PlanarRGB24) beside the library's.
    for (const char* layout : {"BGRA32", "bgra32", "rgba32"}) {
        SCOPED_TRACE(layout);
        ASSERT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("a.png") +
                       " --method block --pattern GBRG --force --layout " + layout)
                      .status,
                  0);
        const Raster rgba = ReadImage(Path("a.png"), {}).raster;
        ASSERT_EQ(rgba.channels, 4u);
        const std::vector<uint8_t> bgra = Direct(mosaic, ORVEX_BLOCK, ORVEX_BGRA32, ORVEX_GBRG);
        for (size_t p = 0; p < 63; ++p) {
            EXPECT_EQ(rgba.samples[4 * p + 0], bgra[4 * p + 2]);
            EXPECT_EQ(rgba.samples[4 * p + 1], bgra[4 * p + 1]);
            EXPECT_EQ(rgba.samples[4 * p + 2], bgra[4 * p + 0]);
            EXPECT_EQ(rgba.samples[4 * p + 3], 255);
        }
    }
    for (const char* layout : {"PlanarRGB24", "planar-rgb24"}) {
        ASSERT_EQ(
            Tool("convert " + Path("in.pgm") + " " + Path("p.raw") + " --force --layout " + layout)
                .status,
            0);
        EXPECT_EQ(Slurp(Path("p.raw")),
                  AsString(Direct(mosaic, ORVEX_BILINEAR, ORVEX_PLANAR_RGB24)));
    }
    // Grey layouts give grey images: PGM, not PPM.
    ASSERT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("g.pgm") + " --layout gray8").status,
              0);
    EXPECT_EQ(ReadImage(Path("g.pgm"), {}).raster.samples,
              SamplesOf(Direct(mosaic, ORVEX_BILINEAR, ORVEX_GRAY8), false));
    EXPECT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("g.ppm") + " --layout gray8").status,
              kUsageError);
}

// The tool converts through the second interface only; the methods the
// exports offer give their results there, except the bilinear method's
// one-pixel border, which the exports leave black and the second interface
// fills by reflection at the edges. The zoom is the exports' too.
TEST_F(ToolTest, ConversionsKeepTheExportsResultsInside) {
    const struct {
        const char* name;
        uint32_t exported;
    } methods[] = {{"block", MethodBlock},
                   {"bilinear", MethodBilinear},
                   {"cubic", MethodBicubicFloat},
                   {"cubic-float", MethodBicubicFloat},
                   {"cubic-fixed", MethodBicubicFixed}};
    const struct {
        uint32_t depth;
        const char* layout;
        uint32_t exported, format;
    } layouts[] = {{8, "RGB24", RGB24, ORVEX_RGB24},
                   {8, "ARGB32", ARGB32, ORVEX_ARGB32},
                   {12, "RGB48", RGB48, ORVEX_RGB48}};
    for (const auto& l : layouts) {
        const Raster mosaic = RandomMosaic(33, 17, l.depth, l.depth + 40);
        WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
        const uint32_t pixel = uint32_t(orvex_image_bytes(l.format, 1, 1));
        for (const auto& m : methods) {
            SCOPED_TRACE(std::string(m.name) + " " + l.layout);
            ASSERT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("o.raw") +
                           " --force --method " + m.name + " --layout " + l.layout)
                          .status,
                      0);
            const std::string got = Slurp(Path("o.raw"));
            const std::string exported = AsString(Exports(mosaic, m.exported, l.exported));
            ASSERT_EQ(got.size(), exported.size());
            if (m.exported != MethodBilinear) {
                EXPECT_EQ(got, exported);
                continue;
            }
            size_t inside = 0, border = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                const size_t x = i / pixel % 33, y = i / pixel / 33;
                const bool edge = x == 0 || y == 0 || x == 32 || y == 16;
                (edge ? border : inside) += got[i] != exported[i];
            }
            EXPECT_EQ(inside, 0u);
            EXPECT_GT(border, 0u);
            EXPECT_EQ(got, AsString(Direct(mosaic, ORVEX_BILINEAR, l.format)));
        }
    }
}

TEST_F(ToolTest, ZoomKeepsTheContainer) {
    const Raster mosaic = RandomMosaic(12, 6, 10, 4);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    ASSERT_EQ(Tool("zoom " + Path("in.pgm") + " " + Path("tall.pgm") + " --pattern GRBG").status,
              0);
    const LoadedImage got = ReadImage(Path("tall.pgm"), {});
    EXPECT_EQ(got.container, Container::Pgm);
    std::vector<uint8_t> src = RawBytes(mosaic), dst(12 * 12 * 2, 0);
    ImageDesc s{}, d{};
    s.data = src.data();
    s.format = Bayer16;
    s.width = 12;
    s.height = 6;
    s.bayerPattern = GRBG;
    d.data = dst.data();
    d.width = 12;
    d.height = 12;
    Orvex_BayerZoomVert(2, &s, &d);
    EXPECT_EQ(got.raster.samples, SamplesOf(dst, true));
}

}  // namespace
