// Development of a camera file's mosaic into a colour picture, shared by the
// command-line tool (`orvex convert` on a camera file) and the Python
// package (RawFrame.develop()), so both give the same picture.
//
// Interface:
//   Picture Develop(mosaic, settings)
// takes a CameraMosaic as ReadCameraFile gives it (or one filled in by the
// caller) and returns interleaved R, G, B samples: the black levels taken
// off, the white balance and the camera-to-sRGB matrix applied, the
// transfer curve, and the file's orientation. It throws CameraError
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

struct DevelopSettings {
    uint32_t method = ORVEX_DLMMSE;  // orvex_method
    Balance balance = Balance::kAsShot;
    std::array<float, 3> given{1, 1, 1};  // R, G, B multipliers for kGiven; G must be above 0
    // Levels in place of the file's: per site of the top-left cell, row by row.
    std::optional<std::array<uint32_t, 4>> black;
    std::optional<uint32_t> white;
    bool matrix = true;    // else the camera's own colours
    bool linear = false;   // else the sRGB curve (8-bit pictures only)
    uint32_t bits = 8;     // sample width of the picture, 8 or 16
    bool rotate = true;    // apply the file's orientation
    uint32_t threads = 0;  // orvex_options.threads: 0 one per core
};

struct Picture {
    uint32_t width = 0, height = 0;
    // Samples range over 0 .. 2^bits - 1: 8 for 8-bit pictures, the mosaic's
    // significant bits for 16-bit ones.
    uint32_t bits = 8;
    std::vector<uint16_t> rgb;  // width x height x 3, row by row
};

// The multipliers R, G, B (green 1) that `settings` choose for `mosaic`.
std::array<float, 3> ChosenBalance(const CameraMosaic& mosaic, const DevelopSettings& settings);

Picture Develop(const CameraMosaic& mosaic, const DevelopSettings& settings = {});

}  // namespace orvex_camera
