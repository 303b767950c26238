// The demo sheet and its table, and the ranking of methods on a folder of
// photographs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "evaluate.h"
#include "image_io.h"
#include "orvex2.h"
#include "tool_mosaics.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using namespace orvex_test;
using ToolTest = ToolFolder;

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
