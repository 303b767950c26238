// The tool's commands as users meet them: failures, forced overwrites,
// help, inputs that must not be lost, streams, batches and options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "image_io.h"
#include "tool_mosaics.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using namespace orvex_test;
using ToolTest = ToolFolder;

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

}  // namespace
