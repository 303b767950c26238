// Development of a camera file's mosaic into a colour picture, shared by the
// command-line tool (`orvex convert` on a camera file) and the Python
// package (RawFrame.develop()), so both give the same picture.
//
// Interface:
//   Picture Develop(mosaic, settings)
// takes a CameraMosaic as ReadCameraFile gives it (or one filled in by the
// caller) and returns interleaved R, G, B samples: the black levels taken
// off, the white balance and the camera-to-sRGB matrix applied, brightened
// (by default the level above which 1 % of a channel's pixels lie becomes
// white, as dcraw does; then `exposure`), the transfer curve at either bit
// depth, and the file's orientation. It throws CameraError
// (kCorrupt) when the levels contradict each other and (kTooLarge) when the
// picture does not fit in memory; its message names mosaic.source.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "camera_file.h"
#include "orvex2.h"

namespace orvex_camera {

enum class Balance {
    kAsShot,    // the file's as-shot balance (its daylight balance where it has none)
    kDaylight,  // the camera's daylight balance
    kNone,      // no white balance: 1, 1, 1
    kGiven,     // DevelopSettings::given
};

// Transfer curves of the picture.
enum class Curve {
    kBt709,  // ITU-R BT.709's (power 0.45, slope 4.5 at black), dcraw's and LibRaw's default
    kSrgb,   // IEC 61966-2-1
};

struct DevelopSettings {
    uint32_t method = ORVEX_RI;  // orvex_method
    Balance balance = Balance::kAsShot;
    std::array<float, 3> given{1, 1, 1};  // R, G, B multipliers for kGiven; G must be above 0
    // Levels in place of the file's: per site of the top-left cell, row by row.
    std::optional<std::array<uint32_t, 4>> black;
    std::optional<uint32_t> white;
    bool matrix = true;           // else the camera's own colours
    Curve curve = Curve::kBt709;  // at either bit depth
    bool linear = false;          // no curve: samples proportional to light
    uint32_t bits = 8;            // sample width of the picture, 8 or 16
    bool rotate = true;           // apply the file's orientation
    // Brightness: automatic (the top 1 % of the brightest channel clips), or
    // the white level white brightened by the DNG BaselineExposure; either
    // way times 2^exposure.
    bool autoBright = true;
    double exposure = 0;  // EV, -16 .. 16
    // One pixel per 2 x 2 cell (half the width and height): a fast preview
    // whose colours are the cell's sites, its two greens averaged.
    bool half = false;
    uint32_t threads = 0;  // orvex_options.threads: 0 one per core
};

struct Picture {
    uint32_t width = 0, height = 0;
    uint32_t bits = 8;          // samples range over 0 .. 2^bits - 1 (bits 8 or 16)
    std::vector<uint16_t> rgb;  // width x height x 3, row by row
};

// The multipliers R, G, B (green 1) that `settings` choose for `mosaic`.
std::array<float, 3> ChosenBalance(const CameraMosaic& mosaic, const DevelopSettings& settings);

Picture Develop(const CameraMosaic& mosaic, const DevelopSettings& settings = {});

}  // namespace orvex_camera
