// The second interface's other entry points and its refusals: every error
// path writes nothing, the zoom gives the exports' bytes, names and sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "orvex2.h"
#include "orvex2_images.h"
#include "test_support.h"

namespace {

using namespace orvex2_test;

// Every error path: its status, and the destination untouched.
TEST(Orvex2, ErrorsWriteNothing) {
    struct Case {
        const char* name;
        void (*spoil)(orvex_image& src, orvex_image& dst, uint32_t& method, orvex_options& o);
        int status;
    };
    const Case cases[] = {
        {"unknown method", [](orvex_image&, orvex_image&, uint32_t& m, orvex_options&) { m = 99; },
         ORVEX_ERROR_ARGUMENT},
        {"null data",
         [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.data = nullptr; },
         ORVEX_ERROR_ARGUMENT},
        {"unknown format",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.format = 99; },
         ORVEX_ERROR_ARGUMENT},
        {"pattern", [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.pattern = 4; },
         ORVEX_ERROR_ARGUMENT},
        {"bits", [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.bits = 7; },
         ORVEX_ERROR_ARGUMENT},
        {"options size",
         [](orvex_image&, orvex_image&, uint32_t&, orvex_options& o) { o.size = 2; },
         ORVEX_ERROR_ARGUMENT},
        {"output as source",
         [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.format = ORVEX_RGB24; },
         ORVEX_ERROR_UNSUPPORTED},
        {"mosaic as output",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.format = ORVEX_MOSAIC8; },
         ORVEX_ERROR_UNSUPPORTED},
        {"too small",
         [](orvex_image& s, orvex_image& d, uint32_t&, orvex_options&) { s.width = d.width = 1; },
         ORVEX_ERROR_SIZE},
        {"sizes differ",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.height -= 1; },
         ORVEX_ERROR_SIZE},
        {"short stride",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.stride = 5; },
         ORVEX_ERROR_SIZE},
        {"extent wraps",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) {
             d.stride = PTRDIFF_MAX / 2;
         },
         ORVEX_ERROR_SIZE},
        {"overlap",
         [](orvex_image& s, orvex_image& d, uint32_t&, orvex_options&) { d.data = s.data; },
         ORVEX_ERROR_OVERLAP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image mosaic = MosaicImage(8, 6, false, 0, 0, 0, false, 1);
        Image out = OutputImage(kOutputs[0], 8, 6, 0, false);
        const std::vector<uint8_t> before = out.Contiguous();
        orvex_image src = mosaic.image(), dst = out.image();
        uint32_t method = ORVEX_BILINEAR;
        orvex_options options = Threads(0);
        c.spoil(src, dst, method, options);
        EXPECT_EQ(orvex_demosaic(&src, &dst, method, &options), c.status);
        EXPECT_EQ(out.Contiguous(), before);
        EXPECT_TRUE(out.OnlyRowsWritten());
        EXPECT_NE(std::strlen(orvex_status_text(c.status)), 0u);
    }
    // Regions outside the source, planes on top of each other, and missing
    // images; the destinations stay as they were.
    Image mosaic = MosaicImage(8, 6, false, 0, 0, 0, false, 1);
    Image tile = OutputImage(kOutputs[0], 3, 3, 0, false);
    const std::vector<uint8_t> tileBefore = tile.Contiguous();
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 6, 0, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_SIZE);
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 0, 4, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_SIZE);
    EXPECT_EQ(orvex_demosaic_region(nullptr, 0, 0, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 0, 0, nullptr, ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(orvex_demosaic(nullptr, tile.get(), ORVEX_BLOCK, nullptr), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(tile.Contiguous(), tileBefore);
    Image planes = OutputImage(kOutputs[6], 8, 6, 0, false);
    const std::vector<uint8_t> planesBefore = planes.Contiguous();
    planes.image().plane_stride = 4;
    EXPECT_EQ(orvex_demosaic(mosaic.get(), planes.get(), ORVEX_BLOCK, nullptr), ORVEX_ERROR_SIZE);
    planes.image().plane_stride = 0;
    EXPECT_EQ(planes.Contiguous(), planesBefore);
}

// The zoom's errors: each status, and the destination untouched.
TEST(Orvex2, ZoomErrorsWriteNothing) {
    const struct {
        const char* name;
        void (*spoil)(orvex_image& src, orvex_image& dst);
        int status;
    } cases[] = {
        {"null data", [](orvex_image& s, orvex_image&) { s.data = nullptr; }, ORVEX_ERROR_ARGUMENT},
        {"formats differ",
         [](orvex_image&, orvex_image& d) { d.format = ORVEX_MOSAIC16, d.width = 4; },
         ORVEX_ERROR_ARGUMENT},
        {"patterns differ", [](orvex_image&, orvex_image& d) { d.pattern = ORVEX_BGGR; },
         ORVEX_ERROR_ARGUMENT},
        {"not twice the rows", [](orvex_image&, orvex_image& d) { d.height -= 2; },
         ORVEX_ERROR_SIZE},
        {"colour source", [](orvex_image& s, orvex_image& d) { s.format = d.format = ORVEX_RGB24; },
         ORVEX_ERROR_UNSUPPORTED},
        {"overlap", [](orvex_image& s, orvex_image& d) { d.data = s.data; }, ORVEX_ERROR_OVERLAP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image mosaic = MosaicImage(8, 6, false, ORVEX_GRBG, 0, 0, false, 1);
        Image out(ORVEX_MOSAIC8, 8, 12, 8, 1, 0, false, ORVEX_GRBG, 0);
        const std::vector<uint8_t> before = out.Contiguous();
        orvex_image src = mosaic.image(), dst = out.image();
        c.spoil(src, dst);
        EXPECT_EQ(orvex_zoom_vertical(&src, &dst, nullptr), c.status);
        EXPECT_EQ(out.Contiguous(), before);
    }
    Image mosaic = MosaicImage(8, 6, false, ORVEX_GRBG, 0, 0, false, 1);
    EXPECT_EQ(orvex_zoom_vertical(mosaic.get(), nullptr, nullptr), ORVEX_ERROR_ARGUMENT);
}

// The zoom through the interface gives the export's bytes on strided views.
TEST(Orvex2, ZoomGivesTheExportsBytes) {
    for (const bool wide : {false, true}) {
        Image mosaic = MosaicImage(37, 10, wide, ORVEX_GRBG, wide ? 14 : 0, 5, true, 21);
        Image out(mosaic.image().format, 37, 20, 37 * (wide ? 2 : 1), 1, 3, false, ORVEX_GRBG,
                  wide ? 14 : 0);
        ASSERT_EQ(orvex_zoom_vertical(mosaic.get(), out.get(), nullptr), ORVEX_OK);
        std::vector<uint8_t> in = mosaic.Contiguous(), want(in.size() * 2);
        ImageDesc s = MakeDesc(in.data(), wide ? Bayer16 : Bayer8, 37, 10, wide ? 14 : 8, GRBG);
        ImageDesc d = MakeDesc(want.data(), s.format, 37, 20, 0, GRBG);
        ASSERT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);
        EXPECT_EQ(out.Contiguous(), want);
        EXPECT_TRUE(out.OnlyRowsWritten());
    }
}

TEST(Orvex2, NamesAndSizes) {
    std::vector<std::string> names;
    for (uint32_t code = 1; orvex_method_name(code) != nullptr; ++code)
        names.push_back(orvex_method_name(code));
    EXPECT_EQ(names, (std::vector<std::string>{"bilinear", "block", "cubic-float", "cubic-fixed",
                                               "mhc", "dlmmse", "ri"}));
    EXPECT_EQ(orvex_method_name(0), nullptr);
    EXPECT_EQ(orvex_image_bytes(ORVEX_PLANAR_RGB48, 5, 3), 90u);
    EXPECT_EQ(orvex_image_bytes(12345, 5, 3), 0u);
    EXPECT_STREQ(orvex_status_text(12345), "unknown status");
    EXPECT_NE(std::string(orvex_version()).find('.'), std::string::npos);
}

}  // namespace
