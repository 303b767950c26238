// Camera files: raw TIFFs refused, sample camera files and synthesised
// DNGs described and developed, packed headerless frames.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image_io.h"
#include "orvex2.h"
#include "synthetic_dng.h"
#include "tool_mosaics.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;
using orvex_test::WriteDng;
using namespace orvex_test;
using ToolTest = ToolFolder;

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

}  // namespace
