// End-to-end runs of the orvex command-line tool on files the test writes.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "evaluate.h"
#include "image_io.h"
#include "orvex.h"
#include "orvex2.h"
#include "tool/synthetic_dng.h"
#include "tool/tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using orvex_test::WriteDng;

using orvex_test::Slurp;
using orvex_test::ToolRun;
using ToolTest = orvex_test::ToolFolder;

Raster RandomMosaic(uint32_t w, uint32_t h, uint32_t depth, uint32_t seed) {
    std::mt19937 rng(seed);
    Raster r;
    r.width = w;
    r.height = h;
    r.bitDepth = depth;
    r.samples.resize(size_t(w) * h);
    for (auto& v : r.samples) v = static_cast<uint16_t>(rng() & ((1u << depth) - 1));
    return r;
}

std::vector<uint8_t> RawBytes(const Raster& m) {
    std::vector<uint8_t> b;
    for (uint16_t v : m.samples) {
        b.push_back(static_cast<uint8_t>(v));
        if (m.Wide()) b.push_back(static_cast<uint8_t>(v >> 8));
    }
    return b;
}

// The second interface's conversion, which the tool passes on.
std::vector<uint8_t> Direct(const Raster& m, uint32_t method, uint32_t format,
                            uint32_t pattern = ORVEX_RGGB) {
    std::vector<uint8_t> src = RawBytes(m);
    orvex_image s{}, d{};
    s.data = src.data();
    s.format = m.Wide() ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    s.width = m.width;
    s.height = m.height;
    s.pattern = pattern;
    s.bits = m.Wide() ? m.bitDepth : 8;
    std::vector<uint8_t> dst(orvex_image_bytes(format, m.width, m.height));
    d.data = dst.data();
    d.format = format;
    d.width = m.width;
    d.height = m.height;
    EXPECT_EQ(orvex_demosaic(&s, &d, method, nullptr), ORVEX_OK);
    return dst;
}

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

std::vector<uint16_t> PackedSamples(const std::vector<uint8_t>& bytes, bool wide) {
    std::vector<uint16_t> v;
    for (size_t i = 0; i < bytes.size(); i += wide ? 2 : 1)
        v.push_back(wide ? uint16_t(bytes[i] | bytes[i + 1] << 8) : bytes[i]);
    return v;
}

// The tool's documented scaling of `from`-bit data into `to`-bit samples:
// v * (2^to - 1) / (2^from - 1), rounded.
std::vector<uint16_t> Scaled(std::vector<uint16_t> v, uint32_t from, uint32_t to) {
    const double ratio = double((1u << to) - 1) / double((1u << from) - 1);
    for (uint16_t& x : v) x = static_cast<uint16_t>(std::lround(x * ratio));
    return v;
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
                                  scaled ? Scaled(PackedSamples(expected, wide), depth, 16)
                                         : PackedSamples(expected, wide));
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
              PackedSamples(Direct(mosaic, ORVEX_BILINEAR, ORVEX_GRAY8), false));
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
    EXPECT_EQ(got.raster.samples, PackedSamples(dst, true));
}

// The sheet shows the scene, its mosaic and every method four to a row; the
// table ranks the methods by PSNR, residual interpolation first, block last.
TEST_F(ToolTest, DemoWritesTheSheetAndRanksTheMethods) {
    const ToolRun r = Tool("demo " + Path("sheet.png") + " --width 320 --height 240");
    ASSERT_EQ(r.status, 0) << r.err;
    const Raster sheet = ReadImage(Path("sheet.png"), {}).raster;
    EXPECT_EQ(sheet.width, 4u * 320);
    EXPECT_EQ(sheet.height, 3u * 240);
    std::vector<std::pair<std::string, double>> rows;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream cols(line);
        std::string name;
        double ms, mps, db;
        if (cols >> name >> ms >> mps >> db) rows.emplace_back(name, db);
    }
    ASSERT_EQ(rows.size(), 7u) << r.out;
    EXPECT_EQ(rows.front().first, "ri") << r.out;
    EXPECT_EQ(rows.back().first, "block") << r.out;
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].second, rows[i].second);
}

TEST_F(ToolTest, FailuresReportAndLeaveNoFile) {
    const Raster mosaic = RandomMosaic(8, 6, 12, 5);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    WriteBytes(Path("in.raw"), RawBytes(mosaic), true);
    std::vector<uint8_t> cut = RawBytes(mosaic);
    {
        Raster m8 = RandomMosaic(8, 6, 8, 6);
        WriteImage(Path("full.pgm"), m8, Container::Pgm, true);
        std::ifstream f(Path("full.pgm"), std::ios::binary);
        std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), {});
        b.resize(b.size() - 5);
        WriteBytes(Path("short.pgm"), b, true);
        fs::remove(Path("full.pgm"));
    }
    WriteBytes(Path("tiny.pgm"), {'P', '5', ' ', '1', ' ', '1', ' ', '2', '5', '5', ' ', 1}, true);
    const std::string in = Path("in.pgm"), out = Path("out.png");
    struct Case {
        std::string args;
        int status;
        const char* message;
    } const cases[] = {
        {"convert " + Path("missing.pgm") + " " + out, kInputError, "missing.pgm"},
        {"convert " + Path("short.pgm") + " " + out, kInputError, "truncated"},
        {"convert " + Path("in.raw") + " " + out + " --width 8 --height 5 --depth 12", kInputError,
         "does not match"},
        {"convert " + Path("in.raw") + " " + out, kInputError, "--width and --height"},
        {"convert " + in + " " + out + " --depth 17", kUsageError, "depth"},
        {"convert " + in + " " + out + " --layout rgb-f99", kUsageError, "unknown layout"},
        {"convert " + in + " " + out + " --method cubic-double", kUsageError, "cubic-fixed"},
        {"convert " + Path("tiny.pgm") + " " + out, kInputError, "1 x 1 bilinear"},
        {"convert " + in + " " + Path("out.jpg"), kUsageError, "unknown output type"},
        {"convert " + in + " " + Path("a.png") + " " + out, kUsageError, "-o DIR"},
        {"convert -o " + Path("in.raw") + " " + in, kOutputError, "not a directory"},
        {"transmogrify " + in, kUsageError, ""},
        {"zoom " + Path("tiny.pgm") + " " + Path("z.pgm"), kInputError, "1 x 1 zoom"},
    };
    const size_t before = FileCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = Tool(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(FileCount(), before);
    }
}

TEST_F(ToolTest, ExistingOutputsNeedForce) {
    const Raster mosaic = RandomMosaic(8, 6, 8, 7);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    WriteBytes(Path("out.ppm"), {'k', 'e', 'e', 'p'}, true);
    const ToolRun refused = Tool("convert " + Path("in.pgm") + " " + Path("out.ppm"));
    EXPECT_EQ(refused.status, kOutputError);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    std::ifstream kept(Path("out.ppm"));
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "keep");
    EXPECT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("out.ppm") + " --force").status, 0);
    EXPECT_EQ(ReadImage(Path("out.ppm"), {}).raster.width, 8u);

    // Many inputs into a folder, quietly.
    WriteImage(Path("b.pgm"), mosaic, Container::Pgm, true);
    fs::create_directories(Path("out"));
    EXPECT_EQ(
        Tool("convert -q -o " + Path("out") + " --to tiff " + Path("in.pgm") + " " + Path("b.pgm"))
            .status,
        0);
    EXPECT_TRUE(fs::exists(Path("out/in.tiff")));
    EXPECT_TRUE(fs::exists(Path("out/b.tiff")));
}

// Every command has its help as `orvex help COMMAND` and `orvex COMMAND
// --help`, the same text: a usage line, the options and two examples.
TEST_F(ToolTest, HelpAndFormats) {
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Examples"), std::string::npos);
    EXPECT_EQ(Tool("help").out, help.out);
    const size_t list = help.out.find("Subcommands:");
    ASSERT_NE(list, std::string::npos);
    std::istringstream lines(help.out.substr(list));
    std::string line;
    std::getline(lines, line);
    size_t commands = 0;
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        const std::string cmd = line.substr(2, line.find(' ', 2) - 2);
        SCOPED_TRACE(cmd);
        ++commands;
        const ToolRun r = Tool(cmd + " --help"), h = Tool("help " + cmd);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(h.status, 0);
        EXPECT_EQ(h.out, r.out);
        EXPECT_NE(r.out.find("Usage: orvex " + cmd + " [OPTIONS]"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Examples:"), std::string::npos) << r.out;
        size_t examples = 0;
        for (size_t at = 0; (at = r.out.find("\n  orvex " + cmd, at)) != std::string::npos; ++at)
            ++examples;
        EXPECT_GE(examples, 2u) << r.out;
    }
    EXPECT_EQ(commands, 7u);
    EXPECT_EQ(Tool("help transmogrify").status, kUsageError);
    // cubic stays a name of cubic-float, and help says so.
    EXPECT_NE(Tool("convert --help").out.find("cubic-float (also cubic)"), std::string::npos);
    const ToolRun formats = Tool("formats");
    for (const char* name :
         {"planar-rgb48", "bgra32", "gray16", "raw12-gige", "GBRG", "cubic-fixed"})
        EXPECT_NE(formats.out.find(name), std::string::npos) << name;
}

// ---- Inputs and results are never lost. ----

TEST_F(ToolTest, AnOutputThatIsAnInputIsRefused) {
    const Raster mosaic = RandomMosaic(10, 8, 8, 11);
    fs::create_directories(Path("same"));
    WriteImage(Path("same/x.tif"), mosaic, Container::Tiff, true);
    WriteBytes(Path("same/f.raw"), RawBytes(mosaic), true);
    WriteImage(Path("a.pgm"), mosaic, Container::Pgm, true);
    fs::create_hard_link(Path("a.pgm"), Path("link.ppm"));
    const std::string raw = " --width 10 --height 8";
    const std::string cases[] = {
        "convert " + Path("same/x.tif") + " " + Path("same/x.tif") + " --force",
        "convert -o " + Path("same") + " --to raw " + Path("same/f.raw") + raw + " --force",
        "convert -q -o " + Path("same") + " --to tif " + Path("a.pgm") + " " + Path("same/x.tif") +
            " --force",
        "zoom " + Path("a.pgm") + " " + Path("a.pgm") + " --force",
        // Another name for the same file.
        "convert " + Path("a.pgm") + " " + Path("link.ppm") + " --force",
    };
    const std::string files[] = {"same/x.tif", "same/f.raw", "a.pgm"};
    std::map<std::string, std::string> before;
    for (const std::string& f : files) before[f] = Slurp(Path(f));
    for (const std::string& args : cases) {
        SCOPED_TRACE(args);
        const ToolRun r = Tool(args);
        EXPECT_EQ(r.status, kOutputError) << r.err;
        EXPECT_NE(r.err.find("is the input"), std::string::npos) << r.err;
        for (const std::string& f : files) EXPECT_EQ(Slurp(Path(f)), before[f]) << f;
    }
    EXPECT_EQ(FileCount(), 3u);  // same/, a.pgm, link.ppm: no leftovers
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("same")), fs::directory_iterator()), 2);
}

TEST_F(ToolTest, BatchNameCollisionsAreRefusedBeforeAnyWork) {
    const Raster mosaic = RandomMosaic(10, 8, 8, 12);
    fs::create_directories(Path("a"));
    fs::create_directories(Path("b"));
    WriteImage(Path("a/x.pgm"), mosaic, Container::Pgm, true);
    WriteImage(Path("b/x.pgm"), mosaic, Container::Pgm, true);
    Raster wide = mosaic;
    WriteImage(Path("a/x.png"), wide, Container::Png, true);
    struct Case {
        std::string args, first, second;
    } const cases[] = {
        {"convert -o " + Path("out") + " " + Path("a/x.pgm") + " " + Path("b/x.pgm"),
         Path("a/x.pgm"), Path("b/x.pgm")},
        {"convert -o " + Path("out") + " --force " + Path("a/x.pgm") + " " + Path("a/x.png"),
         Path("a/x.pgm"), Path("a/x.png")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = Tool(c.args);
        EXPECT_EQ(r.status, kUsageError);
        EXPECT_NE(r.err.find(c.first + " and " + c.second), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(Path("out/x.png")));
    }
}

// ---- Files the tool cannot read correctly are refused. ----

// Writes a one-channel 8-bit TIFF marked the way camera raw files mark their
// mosaic: a CFA photometric interpretation with TIFF/EP pattern tags, and
// for DNG the version tag with the raw image in a sub-directory.
void WriteCameraTiff(const std::string& path, bool dng, const uint8_t pattern[4]) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    auto directory = [&](uint16_t photometric, uint32_t subfile) {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, subfile);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4u);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4u);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        if (photometric == PHOTOMETRIC_CFA) {
            const uint16_t dims[2] = {2, 2};
            TIFFSetField(tif, TIFFTAG_CFAREPEATPATTERNDIM, dims);
            TIFFSetField(tif, TIFFTAG_CFAPATTERN, uint16_t(4), pattern);
        }
        const uint8_t row[4] = {10, 20, 30, 40};
        for (uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(tif, const_cast<uint8_t*>(row), y);
        TIFFWriteDirectory(tif);
    };
    if (dng) {
        const uint8_t version[4] = {1, 4, 0, 0};
        TIFFSetField(tif, TIFFTAG_DNGVERSION, version);
        uint64_t sub[1] = {0};
        TIFFSetField(tif, TIFFTAG_SUBIFD, uint16_t(1), sub);
        directory(PHOTOMETRIC_MINISBLACK, FILETYPE_REDUCEDIMAGE);  // the preview
    }
    directory(PHOTOMETRIC_CFA, 0);
    TIFFClose(tif);
}

TEST_F(ToolTest, CameraRawTiffsAreRefused) {
    const uint8_t grbg[4] = {1, 0, 2, 1};
    WriteCameraTiff(Path("ep.tif"), false, grbg);
    WriteCameraTiff(Path("cam.dng"), true, grbg);
    WriteBytes(Path("cam.cr2"), {'I', 'I', '*', 0, 16, 0, 0, 0, 'C', 'R', 2, 0, 0, 0, 0, 0}, true);
    struct Case {
        const char* file;
        const char* what;
    } const cases[] = {{"ep.tif", "TIFF/EP camera raw file with colour filter array GRBG"},
                       // Camera files go to LibRaw, which finds no raw image in these.
                       {"cam.dng", "not a camera raw file LibRaw reads"},
                       {"cam.cr2", "not a camera raw file LibRaw reads"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ToolRun r = Tool("convert " + Path(c.file) + " " + Path("out.png"));
        EXPECT_EQ(r.status, kInputError);
        EXPECT_NE(r.err.find(c.what), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(Path("out.png")));
    }
}

// The sample camera files (Canon CR2, GoPro DNG), when the machine has them:
// what `info` reports, and a developed picture of the visible area.
TEST_F(ToolTest, CameraFilesAreDescribedAndDeveloped) {
    const std::string dir = ORVEX_RAW_SAMPLES;
    const std::string canon = dir + "/canon_eos30d_IMG_5952.CR2",
                      gopro = dir + "/gopro_hero6_GOPR0024.dng";
    if (!fs::exists(canon) || !fs::exists(gopro))
        GTEST_SKIP() << "no sample camera files in " << dir;
    const ToolRun info = Tool("info --json " + canon + " " + gopro);
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char* fact :
         {"\"make\": \"Canon\"", "\"visible_size\": [3522, 2348]", "\"pattern\": \"RGGB\"",
          "\"bits\": 12", "\"black\": [128, 128, 127, 128]", "\"white\": 4095",
          "\"white_balance\": [2.17383, 1, 1.4502]", "\"bits\": 14", "\"white\": 16383",
          "\"orientation\": 1",
          "\"orientation\": 2, \"orientation_name\": \"mirrored left to right\""})
        EXPECT_NE(info.out.find(fact), std::string::npos) << fact << "\n" << info.out;
    const ToolRun r = Tool("convert " + canon + " " + Path("canon.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    const Raster picture = ReadImage(Path("canon.png"), {}).raster;
    EXPECT_EQ(picture.width, 3522u);
    EXPECT_EQ(picture.height, 2348u);
    EXPECT_EQ(picture.channels, 3u);
    ASSERT_EQ(Tool("convert " + gopro + " " + Path("gopro.png")).status, 0);
    const Raster walkway = ReadImage(Path("gopro.png"), {}).raster;
    EXPECT_EQ(walkway.width, 4000u);
    // Grey patches (a cloud, the concrete walkway) come out neutral: their
    // channel means within 5 % of each other.
    auto neutral = [](const Raster& r, size_t x0, size_t y0, size_t size) {
        double sum[3] = {};
        for (size_t y = y0; y < y0 + size; ++y)
            for (size_t x = x0; x < x0 + size; ++x)
                for (size_t c = 0; c < 3; ++c) sum[c] += r.At(x, y, c);
        return *std::max_element(sum, sum + 3) / *std::min_element(sum, sum + 3);
    };
    EXPECT_LT(neutral(picture, 1300, 150, 100), 1.05);
    EXPECT_LT(neutral(walkway, 2100, 2600, 150), 1.05);
    // A file that is not a camera's: refused as input, nothing written.
    WriteBytes(Path("not.nef"), {1, 2, 3, 4}, true);
    EXPECT_EQ(Tool("convert " + Path("not.nef") + " " + Path("x.png")).status, kInputError);
    EXPECT_FALSE(fs::exists(Path("x.png")));
}

// Synthesised DNGs of every pattern: the tool reads each field and develops
// flat greys to their sRGB values within 1, oriented; corrupt, truncated and
// already demosaicked files are refused with no output.
TEST_F(ToolTest, SynthesisedDngsAreReadAndDeveloped) {
    auto srgb8 = [](double v) {
        return 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    };
    const char* names[4] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    for (uint32_t pattern = 0; pattern < 4; ++pattern)
        for (const uint16_t orientation : {uint16_t(1), uint16_t(3)}) {
            SCOPED_TRACE(std::string(names[pattern]) + " orientation " +
                         std::to_string(orientation));
            WriteDng(Path("t.dng"), pattern, orientation, 0.2, 0.6);
            const ToolRun info = Tool("info --json " + Path("t.dng"));
            ASSERT_EQ(info.status, 0) << info.err;
            for (const std::string fact :
                 {std::string("\"pattern\": \"") + names[pattern] + "\"",
                  std::string("\"black\": [64, 65, 66, 67]"), std::string("\"white\": 4000"),
                  std::string("\"white_balance\": [2, 1, 1.25]"),
                  std::string("\"visible_size\": [64, 48]"), std::string("\"bits\": 12"),
                  std::string(orientation == 3 ? "\"orientation\": 3, \"orientation_name\": "
                                                 "\"turned 180 degrees\""
                                               : "\"orientation\": 1, \"orientation_name\": "
                                                 "\"as stored\"")})
                EXPECT_NE(info.out.find(fact), std::string::npos) << fact << "\n" << info.out;
            // Camera RGB is linear sRGB here: the camera-to-sRGB matrix is the identity.
            float m[9] = {};
            const size_t at = info.out.find("\"matrix\": [");
            ASSERT_NE(at, std::string::npos);
            ASSERT_EQ(std::sscanf(info.out.c_str() + at + 11, "%f, %f, %f, %f, %f, %f, %f, %f, %f",
                                  &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &m[8]),
                      9);
            for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], i % 4 == 0 ? 1.0 : 0.0, 0.01) << i;
            // The white level white and the sRGB curve: the levels as they are.
            ASSERT_EQ(Tool("convert " + Path("t.dng") + " " + Path("t.png") +
                           " --force --no-auto-bright --curve srgb")
                          .status,
                      0);
            const Raster picture = ReadImage(Path("t.png"), {}).raster;
            ASSERT_EQ(picture.width, 64u);
            // 180 degrees puts the left half on the right.
            const double left = orientation == 3 ? 0.6 : 0.2, right = orientation == 3 ? 0.2 : 0.6;
            for (size_t c = 0; c < 3; ++c) {
                EXPECT_NEAR(picture.At(16, 24, c), srgb8(left), 1.0) << c;
                EXPECT_NEAR(picture.At(48, 24, c), srgb8(right), 1.0) << c;
            }
        }
    // Levels given per site equal the file's; a malformed list is a usage error.
    ASSERT_EQ(Tool("convert " + Path("t.dng") + " " + Path("given.png") +
                   " --black 64,65,66,67 --white 4000 --no-auto-bright --curve srgb")
                  .status,
              0);
    EXPECT_EQ(ReadImage(Path("given.png"), {}).raster.samples,
              ReadImage(Path("t.png"), {}).raster.samples);
    EXPECT_EQ(Tool("convert " + Path("t.dng") + " " + Path("bad.png") + " --black 1,2").status,
              kUsageError);

    // No as-shot balance: info says so, development warns and goes on.
    WriteDng(Path("nowb.dng"), 0, 1, 0.2, 0.6, false, false);
    EXPECT_NE(Tool("info --json " + Path("nowb.dng")).out.find("\"white_balance\": null"),
              std::string::npos);
    const ToolRun noBalance = Tool("convert " + Path("nowb.dng") + " " + Path("nowb.png"));
    EXPECT_EQ(noBalance.status, 0);
    EXPECT_NE(noBalance.err.find("no as-shot white balance"), std::string::npos) << noBalance.err;
    const ToolRun sized =
        Tool("convert " + Path("t.dng") + " " + Path("sized.png") + " --width 10 --depth 12");
    EXPECT_EQ(sized.status, 0);
    EXPECT_NE(sized.err.find("is a camera file"), std::string::npos) << sized.err;

    // Truncated, corrupt and already demosaicked files.
    WriteDng(Path("full.dng"), 0, 1, 0.2, 0.6);
    std::ifstream full(Path("full.dng"), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(full)), {});
    WriteBytes(Path("cut.dng"), {bytes.begin(), bytes.begin() + 200}, true);
    // The directory (after the samples: its offset is bytes 4-7) scrambled.
    std::vector<uint8_t> corrupt = bytes;
    const size_t directory = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | size_t(bytes[7]) << 24;
    for (size_t i = directory; i < corrupt.size(); ++i) corrupt[i] ^= 0x5A;
    WriteBytes(Path("corrupt.dng"), corrupt, true);
    WriteDng(Path("linear.dng"), 0, 1, 0.2, 0.6, true);
    WriteDng(Path("cmy.dng"), 4, 1, 0.2, 0.6);
    const std::pair<const char*, const char*> refused[] = {
        {"cut.dng", ""},
        {"corrupt.dng", ""},
        {"linear.dng", "a linear (already demosaicked) raw file"},
        {"cmy.dng", "a mosaic whose colour filter array holds cyan, magenta"}};
    for (const auto& [file, what] : refused) {
        SCOPED_TRACE(file);
        const ToolRun r = Tool("convert " + Path(file) + " " + Path("out.png"));
        EXPECT_EQ(r.status, kInputError) << r.err;
        EXPECT_NE(r.err.find(Path(file) + ": " + what), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(Path("out.png")));
    }
    // Levels that contradict each other: the library's words and the levels.
    const ToolRun levels =
        Tool("convert " + Path("t.dng") + " " + Path("lv.png") + " --black 5000");
    EXPECT_EQ(levels.status, kInputError);
    EXPECT_NE(levels.err.find("black level 5000 is above the white level 4000"), std::string::npos)
        << levels.err;
}

// A packed headerless frame (MIPI RAW12, rows padded to a stride) converts
// as the same samples given as 12-bit raw samples.
TEST_F(ToolTest, PackedFramesConvertAsTheirSamples) {
    const Raster mosaic = RandomMosaic(10, 6, 12, 9);
    std::vector<uint8_t> packed;
    for (uint32_t y = 0; y < 6; ++y) {
        for (uint32_t x = 0; x < 10; x += 2) {
            const uint16_t s0 = mosaic.samples[y * 10 + x], s1 = mosaic.samples[y * 10 + x + 1];
            packed.insert(packed.end(), {uint8_t(s0 >> 4), uint8_t(s1 >> 4),
                                         uint8_t((s1 & 15) << 4 | (s0 & 15))});
        }
        packed.insert(packed.end(), {0xEE, 0xEE});  // padding: a stride of 17 bytes
    }
    WriteBytes(Path("f.raw12"), packed, true);
    WriteBytes(Path("f.raw"), RawBytes(mosaic), true);
    const std::string common = " --width 10 --height 6 --method mhc --force";
    ASSERT_EQ(Tool("convert " + Path("f.raw12") + " " + Path("a.raw") + common +
                   " --format raw12-mipi --stride 17")
                  .status,
              0);
    ASSERT_EQ(
        Tool("convert " + Path("f.raw") + " " + Path("b.raw") + common + " --depth 12").status, 0);
    std::ifstream a(Path("a.raw"), std::ios::binary), b(Path("b.raw"), std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>((std::istreambuf_iterator<char>(a)), {}),
              std::vector<uint8_t>((std::istreambuf_iterator<char>(b)), {}));
    const ToolRun shortFile = Tool("convert " + Path("f.raw12") + " " + Path("c.png") +
                                   " --width 10 --height 7 --format raw12-mipi");
    EXPECT_EQ(shortFile.status, kInputError) << shortFile.err;
}

// ---- Containers state the range of what they hold. ----

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
    const auto lib8 = PackedSamples(Direct(m8, ORVEX_BILINEAR, ORVEX_RGB48), true);
    const auto lib12 = PackedSamples(Direct(m12, ORVEX_BILINEAR, ORVEX_RGB48), true);
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

// ---- What users asked for. ----

TEST_F(ToolTest, StreamsFoldersVersionAndPatternCase) {
    const Raster mosaic = RandomMosaic(12, 10, 8, 25);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    ASSERT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("file.ppm") + " --pattern GRBG").status,
              0);
    // Standard input to standard output, the type from --to; lower-case pattern.
    const ToolRun piped = Tool("convert - - --to ppm --pattern grbg", Path("in.pgm"));
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, Slurp(Path("file.ppm")));

    // A missing output folder is made.
    ASSERT_EQ(Tool("convert -q -o " + Path("new/deeper") + " " + Path("in.pgm")).status, 0);
    EXPECT_TRUE(fs::exists(Path("new/deeper/in.png")));

    const ToolRun version = Tool("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("orvex ", 0), 0u) << version.out;

    // A missing input is reported even when the output exists.
    const ToolRun missing = Tool("convert " + Path("missing.pgm") + " " + Path("file.ppm"));
    EXPECT_EQ(missing.status, kInputError);
    EXPECT_NE(missing.err.find("missing.pgm"), std::string::npos) << missing.err;
}

TEST_F(ToolTest, OptionsWithoutEffectAreReported) {
    const Raster mosaic = RandomMosaic(12, 10, 8, 26);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    const std::string in = Path("in.pgm");
    struct Case {
        std::string args;
        const char* says;
    } const cases[] = {
        {"convert " + in + " " + Path("o.png") + " --width 12 --depth 10", "--depth"},
        {"convert " + in + " " + Path("o.png") + " --to tiff", "--to has no effect"},
        {"convert " + in + " " + Path("o.tif") + " --png-level 9", "--png-level has no effect"},
        {"convert " + in + " " + Path("o.raw") + " --bits 16", "no effect on .raw"},
        {"zoom " + in + " " + Path("o.pgm") + " --height 3", "--height"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = Tool(c.args + " --force");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST_F(ToolTest, BatchesAndCompressionLevelsGiveTheSameResults) {
    std::string inputs;
    for (uint32_t i = 0; i < 6; ++i) {
        const std::string name = Path("f" + std::to_string(i) + ".pgm");
        WriteImage(name, RandomMosaic(20 + i, 14, i % 2 ? 12 : 8, 30 + i), Container::Pgm, true);
        inputs += " " + name;
    }
    WriteBytes(Path("bad.pgm"), {'P', '5', ' ', '9'}, true);
    inputs += " " + Path("bad.pgm");
    for (const char* jobs : {"1", "4"}) {
        const ToolRun r = Tool(std::string("convert -q -j ") + jobs + " --method cubic -o " +
                               Path(std::string("j") + jobs) + inputs);
        EXPECT_EQ(r.status, kInputError) << r.err;  // the bad file, after all the others
        EXPECT_NE(r.err.find("bad.pgm"), std::string::npos) << r.err;
    }
    for (uint32_t i = 0; i < 6; ++i) {
        const std::string name = "/f" + std::to_string(i) + ".png";
        const std::string one = Slurp(Path("j1") + name);
        EXPECT_FALSE(one.empty());
        EXPECT_EQ(one, Slurp(Path("j4") + name)) << name;
    }
    // Every PNG compression level holds the same pixels.
    const Raster reference = ReadImage(Path("j1/f1.png"), {}).raster;
    for (const char* level : {"0", "1", "6", "9"}) {
        const std::string out = Path(std::string("level") + level + ".png");
        ASSERT_EQ(
            Tool("convert " + Path("f1.pgm") + " " + out + " --method cubic --png-level " + level)
                .status,
            0);
        EXPECT_EQ(ReadImage(out, {}).raster.samples, reference.samples) << level;
    }
}

TEST_F(ToolTest, DemoSheetLabelsItsPanels) {
    ASSERT_EQ(Tool("demo " + Path("sheet.png") + " --width 320 --height 240").status, 0);
    const Raster sheet = ReadImage(Path("sheet.png"), {}).raster;
    // Scene, mosaic and one panel a method, four to a row.
    uint32_t panels = 2;
    while (orvex_method_name(panels - 1) != nullptr) ++panels;
    ASSERT_EQ(sheet.width, 4 * 320u);
    ASSERT_EQ(sheet.height, (panels + 3) / 4 * 240);
    for (uint32_t panel = 0; panel < panels; ++panel) {
        const uint32_t ox = (panel % 4) * 320, oy = (panel / 4) * 240;
        size_t ink = 0, backing = 0;
        for (uint32_t y = oy; y < oy + 40; ++y)
            for (uint32_t x = ox; x < ox + 200; ++x) {
                const bool white = sheet.At(x, y, 0) == 255 && sheet.At(x, y, 1) == 255 &&
                                   sheet.At(x, y, 2) == 255;
                const bool black =
                    sheet.At(x, y, 0) == 0 && sheet.At(x, y, 1) == 0 && sheet.At(x, y, 2) == 0;
                ink += white;
                backing += black;
            }
        EXPECT_GT(ink, 100u) << panel;
        EXPECT_GT(backing, 400u) << panel;
    }
}

}  // namespace

namespace {

// Photographs of smooth waves: every method is in the table, the
// gradient-corrected and edge-directed ones above bilinear and block last;
// the chart names them; an empty folder is an input error.
TEST_F(ToolTest, EvaluateRanksTheMethodsOnAFolder) {
    fs::create_directory(Path("photos"));
    Raster photo;
    photo.width = 64;
    photo.height = 48;
    photo.channels = 3;
    photo.samples.resize(64 * 48 * 3);
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            // Waves whose colours move together, as in photographs.
            const double base = 120 + 90 * std::sin(x / 4.0 + y / 6.0);
            photo.At(x, y, 0) = uint16_t(std::lround(base + 20));
            photo.At(x, y, 1) = uint16_t(std::lround(base));
            photo.At(x, y, 2) = uint16_t(std::lround(base - 30));
        }
    WriteImage(Path("photos/ramp.png"), photo, Container::Png, false);
    WriteImage(Path("photos/ramp.tif"), photo, Container::Tiff, false);
    const ToolRun r =
        Tool("evaluate " + Path("photos") + " --pattern all --chart " + Path("q.svg"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> order;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("| ", 0) == 0 && line.find("PSNR") == std::string::npos)
            order.push_back(line.substr(2, line.find(' ', 2) - 2));
    ASSERT_EQ(order.size(), 7u) << r.out;
    auto rank = [&](const std::string& name) {
        return std::find(order.begin(), order.end(), name) - order.begin();
    };
    EXPECT_LT(rank("dlmmse"), rank("bilinear")) << r.out;
    EXPECT_LT(rank("mhc"), rank("bilinear")) << r.out;
    EXPECT_EQ(order.back(), "block");
    std::ifstream chart(Path("q.svg"));
    const std::string svg((std::istreambuf_iterator<char>(chart)),
                          std::istreambuf_iterator<char>());
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find(">mhc<"), std::string::npos);

    fs::create_directory(Path("empty"));
    EXPECT_EQ(Tool("evaluate " + Path("empty")).status, 3);

    // Two sets: one line per method with a PSNR for each set, then each set's
    // own table; the chart marks the second set's points with its own marker
    // and names both sets.
    fs::create_directory(Path("second"));
    WriteImage(Path("second/ramp.png"), photo, Container::Png, false);
    const ToolRun two =
        Tool("evaluate " + Path("photos") + " " + Path("second") + "/ --chart " + Path("q2.svg"));
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out.rfind("| method | photos (2) | second (1) |\n", 0), 0u) << two.out;
    EXPECT_NE(two.out.find("\nsecond (1 images):\n"), std::string::npos) << two.out;
    std::ifstream chart2(Path("q2.svg"));
    const std::string svg2((std::istreambuf_iterator<char>(chart2)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(svg2.find("<rect x="), std::string::npos);
    EXPECT_NE(svg2.find(">second<"), std::string::npos);
    EXPECT_EQ(Tool("evaluate " + Path("photos") + " " + Path("empty")).status, 3);

    // Other converters beside the library's: one that returns the photograph
    // itself scores the ceiling; one that declines every frame is left out.
    std::vector<orvex_tool::Converter> methods = orvex_tool::LibraryMethods(1);
    methods.push_back({"exact",
                       [&](const orvex_tool::MosaicFrame& f, void* rgb) {
                           for (size_t i = 0; i < f.width * f.height * 3; ++i)
                               static_cast<uint8_t*>(rgb)[i] = uint8_t(photo.samples[i]);
                           return true;
                       },
                       true});
    methods.push_back({"declines", [](const orvex_tool::MosaicFrame&, void*) { return false; }});
    orvex_tool::EvaluateOptions options;
    options.folder = Path("photos");
    std::ostringstream log;
    const auto figures = orvex_tool::Evaluate(options, methods, log);
    ASSERT_EQ(figures.size(), 8u);
    EXPECT_EQ(figures.back().name, "exact");
    EXPECT_TRUE(figures.back().peer);
    EXPECT_EQ(figures.back().psnr, 99.0);
    EXPECT_NE(log.str().find("declines: took none"), std::string::npos) << log.str();
}

}  // namespace
