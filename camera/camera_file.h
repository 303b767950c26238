// Camera raw files (DNG and the makers' formats) read through LibRaw, shared
// by the command-line tool and the Python package.
//
// Interface:
//   CameraMosaic ReadCameraFile(path, limits)          a file by name
//   CameraMosaic ReadCameraBuffer(bytes, size, name, limits)  bytes in memory
//   bool IsCameraFileName(path)                         by extension
// Both readers return the visible area's mosaic, one 16-bit sample a pixel
// as the sensor gave it (clamped to `bits`), with what the file says about
// it: pattern, black and white levels, white balances, colour matrix and
// orientation. Anything they cannot read faithfully throws CameraError, whose
// what() is one sentence naming the file ("IMG.CR2: ...") and whose kind()
// says what went wrong. Nothing is printed; LibRaw's own messages become
// part of the error (or of `warnings`, where the caller accepted them).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvex_camera {

// Pixels a file may claim before it is refused unread: a quarter of a
// gigapixel, 512 MB of 16-bit samples.
constexpr uint64_t kDefaultMaxPixels = uint64_t(1) << 28;

struct Limits {
    uint64_t maxPixels = kDefaultMaxPixels;  // raw area, width x height
    // Sample data LibRaw reports as corrupt: refused, or read and described
    // in CameraMosaic::warnings.
    bool acceptCorrupt = false;
};

struct CameraMosaic {
    std::string source;  // how messages name the file
    std::string make, model;
    uint32_t rawWidth = 0, rawHeight = 0;  // the sensor's whole area
    uint32_t width = 0, height = 0;        // the visible area
    std::vector<uint16_t> samples;         // width x height, row by row
    uint32_t pattern = 0;                  // orvex_pattern of the visible top-left cell
    uint32_t bits = 16;                    // significant bits of the samples (9 to 16)
    std::array<uint32_t, 4> black{};       // per site of the top-left cell, row by row
    uint32_t white = 0;
    std::array<float, 3> asShot{1, 1, 1};    // white balance R, G, B (green 1)
    std::array<float, 3> daylight{1, 1, 1};  // the camera's daylight balance
    bool hasAsShot = false;                  // else asShot is the daylight balance
    std::array<float, 9> matrix{};           // camera RGB to linear sRGB, row-major
    float baselineExposure = 0;              // DNG BaselineExposure in EV; 0 elsewhere
    // Orientation: 4 swap axes, 2 mirror rows, 1 mirror columns (in that order).
    int flip = 0;
    std::vector<std::string> warnings;  // accepted faults, one sentence each
};

class CameraError : public std::runtime_error {
  public:
    enum Kind {
        kUnreadable,   // missing, a directory, no permission: the system's reason
        kNotCamera,    // not a file LibRaw reads
        kUnsupported,  // a camera file, but not a 2 x 2 red, green and blue mosaic
        kCorrupt,      // truncated or damaged data, levels that contradict each other
        kOverLimit,    // more pixels than Limits::maxPixels
        kTooLarge,     // more memory than the machine has
    };
    CameraError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

CameraMosaic ReadCameraFile(const std::string& path, const Limits& limits = {});
// `name` is how messages call the bytes.
CameraMosaic ReadCameraBuffer(const uint8_t* bytes, size_t size, const std::string& name,
                              const Limits& limits = {});

// The TIFF/EXIF Orientation tag value (1 to 8) of an orientation code
// (CameraMosaic::flip), and what it does to the stored picture.
int OrientationTag(int flip);
const char* OrientationMeaning(int flip);

// True for the file names of camera raw formats (.dng, .cr2, .nef, ...).
bool IsCameraFileName(const std::string& path);

}  // namespace orvex_camera
