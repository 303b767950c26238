// How camera files look when developed: automatic brightness, exposure, the
// file's BaselineExposure, curves at either bit depth, half size.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "image_io.h"
#include "synthetic_dng.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;

double Bt709(double x) {
    return x < 0.018053968510807 ? 4.5 * x
                                 : 1.09929682680944 * std::pow(x, 0.45) - 0.09929682680944;
}
double Srgb(double x) {
    return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
}
double Linear(double x) {
    return x;
}

using CameraLook = orvex_test::ToolFolder;

// A 64 x 48 grey scene, linear 0.2 on the left and 0.4 on the right: the
// right half is more than 1 % of the pixels, so automatic brightness puts
// its level at white and the left half at 0.5 before the curve.
TEST_F(CameraLook, BrightnessExposureAndCurvesGiveTheirLevels) {
    struct Case {
        const char* args;
        float baseline;        // the file's BaselineExposure
        uint32_t width, bits;  // of the picture
        double (*curve)(double);
        double left, right;  // linear levels before the curve
    } const cases[] = {
        {"", 0, 64, 8, Bt709, 0.5, 1},
        {"--exposure 1", 0, 64, 8, Bt709, 1, 1},
        {"--exposure -1", 0, 64, 8, Bt709, 0.25, 0.5},
        {"--no-auto-bright --curve srgb", 0, 64, 8, Srgb, 0.2, 0.4},
        {"--no-auto-bright", 0, 64, 8, Bt709, 0.2, 0.4},
        {"--no-auto-bright --exposure 1", 0, 64, 8, Bt709, 0.4, 0.8},
        {"--no-auto-bright --exposure -1 --linear", 0, 64, 8, Linear, 0.1, 0.2},
        // The file's BaselineExposure where brightness is not automatic.
        {"--no-auto-bright", 1, 64, 8, Bt709, 0.4, 0.8},
        {"", 1, 64, 8, Bt709, 0.5, 1},
        // 16 bits keep the curve unless --linear.
        {"--bits 16", 0, 64, 16, Bt709, 0.5, 1},
        {"--bits 16 --curve srgb", 0, 64, 16, Srgb, 0.5, 1},
        {"--bits 16 --linear --no-auto-bright", 0, 64, 16, Linear, 0.2, 0.4},
        {"--half", 0, 32, 8, Bt709, 0.5, 1},
        {"--half --bits 16 --linear", 0, 32, 16, Linear, 0.5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.args) + " baseline " + std::to_string(c.baseline));
        orvex_test::WriteDng(Path("t.dng"), 0, 1, 0.2, 0.4, false, true, c.baseline);
        // The block method: flat cells and a cell-aligned edge, no overshoot.
        ASSERT_EQ(Tool("convert " + Path("t.dng") + " " + Path("t.png") +
                       " --force --method block " + c.args)
                      .status,
                  0);
        const Raster picture = ReadImage(Path("t.png"), {}).raster;
        ASSERT_EQ(picture.width, c.width);
        ASSERT_EQ(picture.height, c.width * 3 / 4);
        const double top = c.bits == 16 ? 65535 : 255;
        EXPECT_EQ(picture.StoredBits(), c.bits);
        const size_t y = picture.height / 2, quarter = picture.width / 4;
        for (size_t ch = 0; ch < 3; ++ch) {
            EXPECT_NEAR(picture.At(quarter, y, ch), top * c.curve(c.left), top / 200 + 1) << ch;
            EXPECT_NEAR(picture.At(3 * quarter, y, ch), top * c.curve(c.right), top / 200 + 1)
                << ch;
        }
    }
    EXPECT_EQ(Tool("convert " + Path("t.dng") + " " + Path("x.png") + " --exposure 17").status,
              kUsageError);
    EXPECT_EQ(Tool("convert " + Path("t.dng") + " " + Path("x.png") + " --curve gamma").status,
              kUsageError);
}

// `info` gives the file's Orientation tag as the file has it, and its meaning.
TEST_F(CameraLook, InfoGivesTheOrientationTagAndItsMeaning) {
    const char* const meanings[9] = {"",
                                     "as stored",
                                     "mirrored left to right",
                                     "turned 180 degrees",
                                     "mirrored top to bottom",
                                     "transposed",
                                     "turned 90 degrees clockwise",
                                     "transposed and turned 180 degrees",
                                     "turned 90 degrees counter-clockwise"};
    for (uint16_t tag = 1; tag <= 8; ++tag) {
        orvex_test::WriteDng(Path("o.dng"), 0, tag, 0.2, 0.4);
        const orvex_test::ToolRun info = Tool("info " + Path("o.dng"));
        ASSERT_EQ(info.status, 0);
        const std::string& text = info.out;
        const std::string line =
            "orientation " + std::to_string(tag) + " (" + meanings[tag] + ")\n";
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
}

// Development options given for a mosaic file are said to have no effect;
// for a camera file they are used without a word.
TEST_F(CameraLook, DevelopmentOptionsForMosaicsAreWarned) {
    {
        std::ofstream pgm(Path("m.pgm"), std::ios::binary);
        pgm << "P5\n4 4\n255\n" << std::string(16, '\x40');
    }
    orvex_test::WriteDng(Path("c.dng"), 0, 1, 0.2, 0.4);
    const struct {
        const char* input;
        const char* options;
        const char* warning;  // empty: none
    } cases[] = {
        {"m.pgm", "--black 10", "--black describe camera development; "},
        {"m.pgm", "--wb daylight --no-matrix", "--wb, --no-matrix describe camera development"},
        {"m.pgm", "--exposure 1 --half --curve srgb", "--curve, --exposure, --half describe"},
        {"m.pgm", "", ""},
        {"c.dng", "--black 64 --wb daylight --half", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " " + c.options);
        const orvex_test::ToolRun r =
            Tool("convert " + Path(c.input) + " " + Path("o.png") + " --force " + c.options);
        ASSERT_EQ(r.status, 0);
        const std::string& err = r.err;
        if (*c.warning) EXPECT_NE(err.find(c.warning), std::string::npos) << err;
        EXPECT_EQ(err.find("describe camera development") != std::string::npos, *c.warning != 0)
            << err;
    }
}

}  // namespace
