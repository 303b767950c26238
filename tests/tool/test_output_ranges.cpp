// Containers state the range of what they hold, and every command writes
// the type its output names.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "image_io.h"
#include "orvex2.h"
#include "tool_mosaics.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using namespace orvex_test;
using ToolTest = ToolFolder;

// Reads the maxval of a PPM/PGM header.
uint32_t NetpbmMaximum(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    uint32_t w, h, maxValue = 0;
    in >> magic >> w >> h >> maxValue;
    return maxValue;
}

// The sBIT value of a PNG, 0 when it has none.
int PngSignificantBits(const std::string& bytes) {
    const size_t at = bytes.find("sBIT");
    return at == std::string::npos ? 0 : static_cast<unsigned char>(bytes[at + 4]);
}

uint32_t TiffMaxSampleValue(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    uint16_t v = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_MAXSAMPLEVALUE, &v);
    TIFFClose(tif);
    return v;
}

TEST_F(ToolTest, OutputsStateTheRangeTheyHold) {
    const Raster m8 = RandomMosaic(12, 10, 8, 21);
    const Raster m12 = RandomMosaic(12, 10, 12, 22);
    WriteImage(Path("m8.pgm"), m8, Container::Pgm, true);
    WriteImage(Path("m12.pgm"), m12, Container::Pgm, true);
    const auto lib8 = SamplesOf(Direct(m8, ORVEX_BILINEAR, ORVEX_RGB48), true);
    const auto lib12 = SamplesOf(Direct(m12, ORVEX_BILINEAR, ORVEX_RGB48), true);
    struct Case {
        const char* input;
        const char* out;
        std::string options;
        uint32_t depth;   // the range the container states (PPM maxval, TIFF maximum)
        uint32_t stored;  // bits per sample of PNG/TIFF as read back
        int sbit;         // PNG
        std::vector<uint16_t> samples;
    } const cases[] = {
        {"m8.pgm", "o.ppm", "--layout RGB48", 8, 8, 0, lib8},
        {"m8.pgm", "o.png", "--layout RGB48", 8, 8, 0, lib8},
        {"m8.pgm", "o.png", "--layout RGB48 --bits 16", 16, 16, 8, Scaled(lib8, 8, 16)},
        {"m12.pgm", "o.png", "", 16, 16, 12, Scaled(lib12, 12, 16)},
        {"m12.pgm", "o.tif", "", 16, 16, 0, Scaled(lib12, 12, 16)},
        {"m12.pgm", "o.png", "--bits 8", 8, 8, 0, Scaled(lib12, 12, 8)},
        {"m12.pgm", "o.ppm", "", 12, 16, 0, lib12},
        {"m12.pgm", "o.ppm", "--bits 16", 16, 16, 0, Scaled(lib12, 12, 16)},
        {"m12.pgm", "o.png", "--no-scale", 16, 16, 0, lib12},
        {"m12.pgm", "o.tif", "--no-scale", 12, 16, 0, lib12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " -> " + c.out + " " + c.options);
        const std::string out = Path(c.out);
        const ToolRun r = Tool("convert " + Path(c.input) + " " + out + " " + c.options);
        ASSERT_EQ(r.status, 0) << r.err;
        const LoadedImage got = ReadImage(out, {});
        EXPECT_EQ(got.raster.samples, c.samples);
        const std::string bytes = Slurp(out);
        if (got.container == Container::Ppm) EXPECT_EQ(NetpbmMaximum(bytes), (1u << c.depth) - 1);
        if (got.container == Container::Png) {
            EXPECT_EQ(got.raster.bitDepth, c.stored);
            EXPECT_EQ(PngSignificantBits(bytes), c.sbit);
        }
        if (got.container == Container::Tiff) {
            EXPECT_EQ(got.raster.bitDepth, c.stored);
            EXPECT_EQ(TiffMaxSampleValue(out), (1u << c.depth) - 1);
        }
        fs::remove(out);
    }
    // The full range maps onto the full range.
    EXPECT_EQ(Scaled({0, 2048, 4095}, 12, 16), (std::vector<uint16_t>{0, 32776, 65535}));
    const ToolRun refused =
        Tool("convert " + Path("m12.pgm") + " " + Path("o.png") + " --no-scale --bits 8");
    EXPECT_EQ(refused.status, kUsageError);
    EXPECT_FALSE(fs::exists(Path("o.png")));
}

TEST_F(ToolTest, SamplesAboveTheDepthAreCountedAndClamped) {
    Raster m = RandomMosaic(12, 10, 12, 23);
    const size_t above = size_t(
        std::count_if(m.samples.begin(), m.samples.end(), [](uint16_t v) { return v > 1023; }));
    ASSERT_GT(above, 0u);
    WriteBytes(Path("in.raw"), RawBytes(m), true);
    const ToolRun r = Tool("convert " + Path("in.raw") + " " + Path("o.ppm") +
                           " --width 12 --height 10 --depth 10");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(std::to_string(above) + " samples above 1023"), std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    const std::string bytes = Slurp(Path("o.ppm"));
    EXPECT_EQ(NetpbmMaximum(bytes), 1023u);
    const Raster got = ReadImage(Path("o.ppm"), {}).raster;
    EXPECT_LE(*std::max_element(got.samples.begin(), got.samples.end()), 1023);
}

TEST_F(ToolTest, EveryCommandWritesTheTypeItsOutputNames) {
    const Raster mosaic = RandomMosaic(12, 6, 10, 24);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    const std::string in = Path("in.pgm");
    struct Case {
        std::string args;
        const char* out;
        int status;
        Container container;
    } const cases[] = {
        {"zoom " + in, "z.png", 0, Container::Png},
        {"zoom " + in, "z.tif", 0, Container::Tiff},
        {"zoom " + in, "z.pgm", 0, Container::Pgm},
        {"zoom " + in, "z.ppm", kUsageError, Container::Raw},
        {"zoom " + in, "z.jpg", kUsageError, Container::Raw},
        {"demo --width 16 --height 16", "d.tif", 0, Container::Tiff},
        {"demo --width 16 --height 16", "d.ppm", 0, Container::Ppm},
        {"demo --width 16 --height 16", "d.jpg", kUsageError, Container::Raw},
        {"demo --width 16 --height 16", "d.pgm", kUsageError, Container::Raw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args + " " + c.out);
        const ToolRun r = Tool(c.args + " " + Path(c.out));
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0)
            EXPECT_EQ(ReadImage(Path(c.out), {}).container, c.container);
        else
            EXPECT_FALSE(fs::exists(Path(c.out)));
    }
    // A 10-bit zoom into a PNG is scaled like any other output.
    const Raster png = ReadImage(Path("z.png"), {}).raster;
    const Raster pgm = ReadImage(Path("z.pgm"), {}).raster;
    EXPECT_EQ(png.samples, Scaled(pgm.samples, 10, 16));
}

}  // namespace
