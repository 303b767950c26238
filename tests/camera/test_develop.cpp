// The shared camera development: orientation, white balance choices and
// refusals, on small mosaics made here.
#include <gtest/gtest.h>

#include "camera_develop.h"

namespace {

using namespace orvex_camera;

CameraMosaic Mosaic(uint32_t w, uint32_t h) {
    CameraMosaic m;
    m.source = "test.dng";
    m.width = w;
    m.height = h;
    m.bits = 12;
    m.white = 4095;
    m.black = {64, 64, 64, 64};
    m.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    m.asShot = {2, 1, 1.5f};
    m.daylight = {1.8f, 1, 1.4f};
    for (uint32_t i = 0; i < w * h; ++i) m.samples.push_back(uint16_t(64 + (i * 397) % 4000));
    return m;
}

// Each orientation puts the stored picture's pixel (x, y) where the flip's
// bits say: axes swapped, then rows mirrored, then columns.
TEST(CameraDevelop, OrientationsMoveThePixelsTheirCodesSay) {
    const CameraMosaic stored = Mosaic(6, 4);
    const Picture plain = Develop(stored);
    ASSERT_EQ(plain.width, 6u);
    ASSERT_EQ(plain.height, 4u);
    struct Case {
        int flip;
        uint32_t width;
        // Stored (x, y) of the output's top-left and top-right pixels.
        uint32_t topLeft[2], topRight[2];
    } const cases[] = {{0, 6, {0, 0}, {5, 0}}, {1, 6, {5, 0}, {0, 0}}, {2, 6, {0, 3}, {5, 3}},
                       {3, 6, {5, 3}, {0, 3}}, {4, 4, {0, 0}, {0, 3}}, {5, 4, {5, 0}, {5, 3}},
                       {6, 4, {0, 3}, {0, 0}}, {7, 4, {5, 3}, {5, 0}}};
    auto at = [](const Picture& p, uint32_t x, uint32_t y) {
        const uint16_t* s = &p.rgb[(size_t(y) * p.width + x) * 3];
        return std::vector<uint16_t>(s, s + 3);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flip " + std::to_string(c.flip));
        CameraMosaic m = stored;
        m.flip = c.flip;
        const Picture p = Develop(m);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.width * p.height, 24u);
        EXPECT_EQ(at(p, 0, 0), at(plain, c.topLeft[0], c.topLeft[1]));
        EXPECT_EQ(at(p, p.width - 1, 0), at(plain, c.topRight[0], c.topRight[1]));
        DevelopSettings keep;
        keep.rotate = false;
        EXPECT_EQ(Develop(m, keep).rgb, plain.rgb);
    }
}

TEST(CameraDevelop, BalancesAreTheFilesOrTheCallers) {
    const CameraMosaic m = Mosaic(4, 4);
    struct Case {
        Balance balance;
        std::array<float, 3> given, expected;
    } const cases[] = {{Balance::kAsShot, {}, {2, 1, 1.5f}},
                       {Balance::kDaylight, {}, {1.8f, 1, 1.4f}},
                       {Balance::kNone, {}, {1, 1, 1}},
                       {Balance::kGiven, {4, 2, 3}, {2, 1, 1.5f}}};
    for (const Case& c : cases) {
        DevelopSettings s;
        s.balance = c.balance;
        s.given = c.given;
        EXPECT_EQ(ChosenBalance(m, s), c.expected) << int(c.balance);
    }
    DevelopSettings zeroGreen;
    zeroGreen.balance = Balance::kGiven;
    zeroGreen.given = {1, 0, 1};
    EXPECT_THROW(ChosenBalance(m, zeroGreen), CameraError);
}

TEST(CameraDevelop, ContradictionsAreRefusedInWords) {
    struct Case {
        const char* what;
        void (*spoil)(CameraMosaic&, DevelopSettings&);
        const char* message;
    } const cases[] = {
        {"black above white",
         [](CameraMosaic&, DevelopSettings& s) {
             s.black = {{5000, 0, 0, 0}};
         },
         "test.dng: developing: "},
        {"black at white",
         [](CameraMosaic& m, DevelopSettings&) {
             m.black = {4095, 0, 0, 0};
         },
         "black level 4095 equals the white level 4095"},
        {"samples short", [](CameraMosaic& m, DevelopSettings&) { m.samples.pop_back(); },
         "test.dng: the mosaic holds 15 samples, not 4 x 4"},
    };
    for (const Case& c : cases) {
        CameraMosaic m = Mosaic(4, 4);
        DevelopSettings s;
        c.spoil(m, s);
        try {
            Develop(m, s);
            ADD_FAILURE() << c.what << ": developed";
        } catch (const CameraError& e) {
            EXPECT_EQ(e.kind(), CameraError::kCorrupt) << c.what;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.what << ": " << e.what();
        }
    }
}

}  // namespace
