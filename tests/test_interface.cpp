// Class queries, the size rule, the dispatcher's descriptor updates and
// results, the zoom mode gate and the message-box stand-in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/stream_copy.h"
#include "methods/bilinear/bilinear_rows.h"
#include "methods/block/block_rows.h"
#include "methods/cubic/row_kernels.h"
#include "methods/zoom/zoom_middle_sites.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using testsupport::GuardedBuffer;
using testsupport::MakeDesc;

struct ClassRow {
    uint32_t format;
    uint8_t mono, bayer, color, color3;
    uint32_t bytesPerPixel;
};

const ClassRow kClassTable[] = {
    {0, 0, 0, 0, 0, 1},           {1, 0, 0, 0, 0, 2},  {2, 1, 0, 0, 0, 1},   {3, 1, 0, 0, 0, 2},
    {4, 0, 1, 1, 0, 1},           {5, 0, 1, 1, 0, 2},  {6, 0, 0, 1, 1, 3},   {7, 0, 0, 1, 1, 6},
    {8, 0, 0, 1, 1, 3},           {9, 0, 0, 1, 1, 4},  {10, 0, 0, 1, 1, 6},  {11, 0, 0, 1, 1, 4},
    {12, 0, 0, 1, 1, 3},          {13, 0, 0, 0, 0, 0}, {255, 0, 0, 0, 0, 0}, {0x104, 0, 0, 0, 0, 0},
    {0xFFFFFFFFu, 0, 0, 0, 0, 0},
};

TEST(ClassQueries, EveryCodeAnswersItsClass) {
    for (const ClassRow& row : kClassTable) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(Orvex_isMonochrome(row.format), row.mono);
        EXPECT_EQ(Orvex_isBayer(row.format), row.bayer);
        EXPECT_EQ(Orvex_isColor(row.format), row.color);
        EXPECT_EQ(Orvex_is3Color(row.format), row.color3);
    }
}

TEST(SizeRule, BytesPerPixelTimesArea) {
    for (const ClassRow& row : kClassTable) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(Orvex_CalcImageSize(row.format, 640, 480), 640u * 480u * row.bytesPerPixel);
        EXPECT_EQ(Orvex_CalcImageSize(row.format, 0, 480), 0u);
        EXPECT_EQ(Orvex_CalcImageSize(row.format, 640, 0), 0u);
    }
}

TEST(SizeRule, WrapsAt32Bits) {
    struct Case {
        uint32_t format, w, h, size;
    } const cases[] = {
        {RGB24, 640, 480, 921600},
        {PlanarRGB48, 640, 480, 1843200},
        {RGB48, 65536, 65536, 0},
        {BGRA32, 65536, 16384, 0},
        {RGB24, 0x10000, 0x10001, 0x30000u},  // the area wraps to 2^16 before the x3
        {Bayer16, 0xFFFFFFFFu, 3, 0xFFFFFFFAu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Orvex_CalcImageSize(c.format, c.w, c.h), c.size) << c.format << " " << c.w;
    }
}

TEST(BayerToRgb, UnknownMethodsReturnCodeMinusOneAndStillFillTheDescriptor) {
    struct Case {
        uint32_t method;
        int32_t result;
    } const cases[] = {{0, -1}, {5, 4}, {6, 5}, {0xFFFFFFFFu, -2}, {0x80000001u, INT32_MIN}};
    for (const Case& c : cases) {
        uint8_t mosaic[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        GuardedBuffer out(48);
        ImageDesc src = MakeDesc(mosaic, Bayer8, 4, 4, 12, RGGB);
        ImageDesc dst;
        std::memset(&dst, 0x5A, sizeof dst);
        dst.data = out.data();
        dst.format = RGB24;
        EXPECT_EQ(Orvex_BayerToRgb(c.method, &src, &dst), c.result);
        EXPECT_EQ(dst.width, 4u);
        EXPECT_EQ(dst.height, 4u);
        EXPECT_EQ(dst.bitDepth, 12);
        EXPECT_EQ(dst.size, 48u);
        EXPECT_EQ(dst.reserved, 0x5A5A5A5Au);
        EXPECT_EQ(dst.bayerPattern, 0x5A5A5A5Au);
        EXPECT_EQ(out.Payload(), std::vector<uint8_t>(48, testsupport::kCanary));
        EXPECT_TRUE(out.GuardsIntact());
    }
}

TEST(BayerToRgb, CopiesBitDepthWithoutTouchingThePaddingAfterIt) {
    uint8_t mosaic[4] = {10, 20, 30, 40};
    uint8_t rgb[12];
    ImageDesc src = MakeDesc(mosaic, Bayer8, 2, 2, 8, RGGB);
    ImageDesc dst;
    std::memset(&dst, 0xC3, sizeof dst);
    dst.data = rgb;
    dst.format = BGR24;
    const auto* raw = reinterpret_cast<const uint8_t*>(&dst);
    const size_t padding = offsetof(ImageDesc, bitDepth) + sizeof(uint16_t);
    Orvex_BayerToRgb(MethodBlock, &src, &dst);
    EXPECT_EQ(raw[padding], 0xC3);
    EXPECT_EQ(raw[padding + 1], 0xC3);
    EXPECT_EQ(dst.bitDepth, 8);
}

TEST(BayerToRgb, UnknownDestinationFormatGetsSizeZeroAndNoPixels) {
    uint8_t mosaic[16] = {};
    GuardedBuffer out(64);
    ImageDesc src = MakeDesc(mosaic, Bayer8, 4, 4, 8, RGGB);
    for (uint32_t format : {0u, 1u, 2u, 3u, 4u, 5u, 13u, 0xFFFFFFFFu}) {
        ImageDesc dst = MakeDesc(out.data(), format, 0, 0, 0, 0);
        EXPECT_EQ(Orvex_BayerToRgb(MethodBlock, &src, &dst), 0);
        EXPECT_EQ(dst.size, Orvex_CalcImageSize(format, 4, 4));
        EXPECT_EQ(out.Payload(), std::vector<uint8_t>(64, testsupport::kCanary)) << format;
    }
}

TEST(BayerZoomVert, OnlyTheLowByteOfTheModeCounts) {
    struct Case {
        uint32_t mode;
        int32_t result;
    } const cases[] = {{2, 0}, {0x102, 0}, {0xFFFFFF02u, 0}, {1, 1}, {0, 1}, {3, 1}, {0x200, 1}};
    for (const Case& c : cases) {
        uint8_t mono[30] = {};
        GuardedBuffer out(60);
        ImageDesc src = MakeDesc(mono, Mono8, 5, 6, 8, RGGB);
        ImageDesc dst = MakeDesc(out.data(), Mono8, 5, 12, 8, RGGB);
        const ImageDesc before = dst;
        EXPECT_EQ(Orvex_BayerZoomVert(c.mode, &src, &dst), c.result) << c.mode;
        EXPECT_EQ(std::memcmp(&before, &dst, sizeof dst), 0);
        EXPECT_EQ(out.Payload(), std::vector<uint8_t>(60, testsupport::kCanary));
    }
}

TEST(ShowMessage, WritesCaptionedLineAndAcknowledges) {
    struct Case {
        const char* text;
        const char* line;
    } const cases[] = {{"Camera ready", "OrvexScope: Camera ready\n"},
                       {"", "OrvexScope: \n"},
                       {nullptr, "OrvexScope: \n"}};
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        const int32_t result = Orvex_ShowMSG(nullptr, c.text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
        EXPECT_EQ(result, 1);
    }
}

TEST(ShowMessageDeathTest, ReportsZeroWhenTheLineCannotBeWritten) {
#if defined(ORVEX_TESTS_EMULATED)
    // User-mode emulation cannot re-execute the test program; a plain fork works.
    GTEST_FLAG_SET(death_test_style, "fast");
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
#endif
    EXPECT_EXIT(
        {
            if (std::freopen("/dev/full", "w", stderr) == nullptr) _exit(2);
            _exit(Orvex_ShowMSG(nullptr, "lost"));
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace

namespace {

// The suite runs once more under ORVEX_SIMD=scalar (CTest); there no kernel
// may use vector instructions.
TEST(SimdEnvironment, ScalarCapsEveryKernel) {
    const char* cap = std::getenv("ORVEX_SIMD");
    if (cap == nullptr || std::string(cap) != "scalar") GTEST_SKIP() << "ORVEX_SIMD is not scalar";
    const orvex::SimdFeatures runs = orvex::ProcessSimd();
    EXPECT_EQ(runs, orvex::kPortable);
    // The families whose choice can be seen: no vector kernel in any chain,
    // the portable loops where a family does whole rows.
    for (const bool a : {false, true})
        for (const bool b : {false, true}) {
            EXPECT_TRUE(orvex::ChooseBlockRows(runs, a, b).triple.Empty());
            EXPECT_TRUE(orvex::ChooseBlockRows(runs, a, b).quad.Empty());
            EXPECT_TRUE(orvex::ChooseZoomMiddle(runs, a).Empty());
            for (const auto pixels :
                 {orvex::BilinearPixels::Triple8, orvex::BilinearPixels::Triple16,
                  orvex::BilinearPixels::Quad8})
                EXPECT_TRUE(orvex::ChooseBilinearRow(runs, pixels, {a, b}, a).Empty());
            EXPECT_EQ(orvex::ChooseBilinearValues(runs, a ? 2 : 1), nullptr);
            EXPECT_EQ(orvex::ChooseBilinearStreamRow(runs, {a, b}, a), nullptr);
        }
    const orvex::CubicRowKernels cubic = orvex::ChooseCubicRows(runs);
    EXPECT_EQ(cubic.loops, &orvex::kCubicLoopsPortable);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(cubic.extract[i].Empty() && cubic.vertical[i].Empty() &&
                    cubic.enlarge[i].Empty() && cubic.recombine[i].Empty());
    const orvex::RowCopySet copy = orvex::ChooseRowCopy(runs);
    EXPECT_EQ(copy.copy, orvex::kRowCopyPortable.copy);
    EXPECT_EQ(copy.stream, orvex::kRowCopyPortable.stream);
    EXPECT_EQ(copy.fence, orvex::kRowCopyPortable.fence);
}

// Every AArch64 processor has NEON; only the cap keeps it from the kernels.
TEST(SimdEnvironment, AArch64RunsNeonUnlessCapped) {
#if defined(__aarch64__)
    if (std::getenv("ORVEX_SIMD") != nullptr) GTEST_SKIP() << "ORVEX_SIMD is set";
    EXPECT_EQ(orvex::ProcessSimd(), orvex::SimdFeatures(orvex::Isa::Neon));
#else
    GTEST_SKIP() << "not AArch64";
#endif
}

}  // namespace
