// End-to-end runs of the orvex command-line tool on files the test writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "image_io.h"
#include "orvex.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;

struct ToolRun {
    int status;
    std::string out, err;
};

class ToolTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orvex-tool-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    ToolRun Tool(const std::string& args) const {
        const std::string out = Path("stdout.txt"), err = Path("stderr.txt");
        const std::string cmd = std::string(ORVEX_TOOL) + " " + args + " >" + out + " 2>" + err;
        const int raw = std::system(cmd.c_str());
        auto slurp = [](const std::string& p) {
            std::ifstream f(p);
            std::stringstream s;
            s << f.rdbuf();
            return s.str();
        };
        ToolRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
        fs::remove(out);
        fs::remove(err);
        return r;
    }

    // Files in the folder other than the named inputs: outputs and leftovers.
    size_t FileCount() const {
        return size_t(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

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

// The library's output for the tool's documented starting buffer (colour 0).
std::vector<uint8_t> Direct(const Raster& m, uint32_t method, uint32_t format) {
    const bool wide = format == RGB48 || format == PlanarRGB48;
    Raster source = m;
    source.bitDepth = wide ? 16 : 8;
    std::vector<uint8_t> src = RawBytes(source);
    std::vector<uint8_t> dst(Orvex_CalcImageSize(format, m.width, m.height), 0);
    ImageDesc s{}, d{};
    s.data = src.data();
    s.format = wide ? Bayer16 : Bayer8;
    s.width = m.width;
    s.height = m.height;
    s.bitDepth = static_cast<uint16_t>(m.bitDepth);
    d.data = dst.data();
    d.format = format;
    Orvex_BayerToRgb(method, &s, &d);
    return dst;
}

std::vector<uint16_t> PackedSamples(const std::vector<uint8_t>& bytes, bool wide) {
    std::vector<uint16_t> v;
    for (size_t i = 0; i < bytes.size(); i += wide ? 2 : 1)
        v.push_back(wide ? uint16_t(bytes[i] | bytes[i + 1] << 8) : bytes[i]);
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
                std::string(method) == "bilinear" ? MethodBilinear : MethodBicubicFixed;
            for (const char* in : {"in.raw", "in.pgm", "in.png", "in.tif"}) {
                // PNG and TIFF carry no significant-bit count: their samples
                // count as 16-bit, which sets the cubic methods' ceiling.
                const bool padded = in == std::string("in.png") || in == std::string("in.tif");
                const auto expected = Direct(padded ? stored : mosaic, code, wide ? RGB48 : RGB24);
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
                        const LoadedImage got = ReadImage(out, {});
                        EXPECT_EQ(got.raster.channels, 3u);
                        EXPECT_EQ(got.raster.samples, PackedSamples(expected, wide));
                    }
                    fs::remove(out);
                }
            }
        }
        EXPECT_EQ(ReadImage(Path("in.pgm"), {}).raster.samples, mosaic.samples);
    }
}

TEST_F(ToolTest, AlphaAndPlanarLayouts) {
    const Raster mosaic = RandomMosaic(9, 7, 8, 3);
    WriteImage(Path("in.pgm"), mosaic, Container::Pgm, true);
    // Block keeps the starting alpha of 255; a 32-bit layout gives RGBA.
    ASSERT_EQ(Tool("convert " + Path("in.pgm") + " " + Path("a.png") +
                   " --method block --layout BGRA32 --pattern GBRG")
                  .status,
              0);
    const Raster rgba = ReadImage(Path("a.png"), {}).raster;
    ASSERT_EQ(rgba.channels, 4u);
    std::vector<uint8_t> bgra(9 * 7 * 4, 0);
    for (size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 255;
    {
        std::vector<uint8_t> src(mosaic.samples.begin(), mosaic.samples.end());
        ImageDesc s{}, d{};
        s.data = src.data();
        s.width = 9;
        s.height = 7;
        s.bayerPattern = GBRG;
        d.data = bgra.data();
        d.format = BGRA32;
        Orvex_BayerToRgb(MethodBlock, &s, &d);
    }
    for (size_t p = 0; p < 63; ++p) {
        EXPECT_EQ(rgba.samples[4 * p + 0], bgra[4 * p + 2]);
        EXPECT_EQ(rgba.samples[4 * p + 1], bgra[4 * p + 1]);
        EXPECT_EQ(rgba.samples[4 * p + 2], bgra[4 * p + 0]);
        EXPECT_EQ(rgba.samples[4 * p + 3], 255);
    }
    ASSERT_EQ(
        Tool("convert " + Path("in.pgm") + " " + Path("p.raw") + " --layout PlanarRGB24").status,
        0);
    std::ifstream f(Path("p.raw"), std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), {}),
              Direct(mosaic, MethodBilinear, PlanarRGB24));
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

TEST_F(ToolTest, DemoWritesTheSheetAndRanksBlockLast) {
    const ToolRun r = Tool("demo " + Path("sheet.png") + " --width 320 --height 240");
    ASSERT_EQ(r.status, 0) << r.err;
    const Raster sheet = ReadImage(Path("sheet.png"), {}).raster;
    EXPECT_EQ(sheet.width, 3u * 320);
    EXPECT_EQ(sheet.height, 2u * 240);
    std::map<std::string, double> psnr;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream cols(line);
        std::string name;
        double ms, mps, db;
        if (cols >> name >> ms >> mps >> db) psnr[name] = db;
    }
    ASSERT_EQ(psnr.size(), 4u) << r.out;
    for (const char* m : {"bilinear", "cubic", "cubic-fixed"}) EXPECT_LT(psnr["block"], psnr[m]);
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
    WriteBytes(Path("tiny.pgm"),
               {'P', '5', ' ', '2', ' ', '2', ' ', '2', '5', '5', ' ', 1, 2, 3, 4}, true);
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
        {"convert " + in + " " + out + " --method cubic --layout PlanarRGB24", kUsageError,
         "packed layouts only"},
        {"convert " + in + " " + out + " --layout RGB24", kUsageError, "holds 8-bit samples"},
        {"convert " + Path("tiny.pgm") + " " + out, kInputError, "outside what method"},
        {"convert " + in + " " + Path("out.jpg"), kUsageError, "unknown output type"},
        {"convert " + in + " " + Path("a.png") + " " + out, kUsageError, "-o DIR"},
        {"convert -o " + Path("nowhere") + " " + in, kOutputError, "not a directory"},
        {"transmogrify " + in, kUsageError, ""},
        {"zoom " + Path("tiny.pgm") + " " + Path("z.pgm"), kInputError, "at least 5 x 3"},
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

TEST_F(ToolTest, HelpAndFormats) {
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Examples"), std::string::npos);
    for (const char* cmd : {"demo", "convert", "zoom", "formats"}) {
        const ToolRun r = Tool(std::string(cmd) + " --help");
        EXPECT_EQ(r.status, 0) << cmd;
        EXPECT_NE(r.out.find("Example"), std::string::npos) << cmd;
    }
    const ToolRun formats = Tool("formats");
    for (const char* name : {"PlanarRGB48", "BGRA32", "GBRG", "cubic-fixed"})
        EXPECT_NE(formats.out.find(name), std::string::npos) << name;
}

}  // namespace
