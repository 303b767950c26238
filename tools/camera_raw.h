// Camera raw files (DNG and the makers' formats) read through LibRaw: the
// mosaic of the visible area as the sensor gave it, and what the file says
// about it, then developed through the library's second interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "image_io.h"

namespace orvex_tool {

struct CameraFile {
    std::string source;  // how messages name the file
    std::string make, model;
    uint32_t rawWidth = 0, rawHeight = 0;
    Raster mosaic;                    // the visible area, one 16-bit sample a pixel
    uint32_t pattern = 0;             // orvex_pattern of the visible area's top-left cell
    uint32_t bits = 16;               // significant bits of the samples
    std::array<uint32_t, 4> black{};  // per site of the top-left cell, as orvex_options
    uint32_t white = 0;
    std::array<float, 3> asShot{1, 1, 1};    // white balance R, G, B (green 1)
    std::array<float, 3> daylight{1, 1, 1};  // the camera's daylight balance
    bool hasAsShot = false;                  // else asShot is the daylight balance (or 1, 1, 1)
    std::array<float, 9> matrix{};           // camera RGB to linear sRGB, row-major
    int flip =
        0;  // orientation: 4 swap axes, 2 mirror rows, 1 mirror columns (applied in that order)
};

// True for the file names of camera raw formats (by extension).
bool IsCameraFile(const std::string& path);

// Reads a camera file (through the shared camera reader); a ToolError
// (input) for files that are not a plain 2 x 2 colour mosaic (X-Trans,
// three-layer sensors, linear DNG, monochrome, other colours), naming what
// the file is, and for truncated or corrupt data unless accepted (then
// warned).
CameraFile ReadCameraFile(const std::string& path, const InputLimits& limits = {});

struct DevelopOptions {
    uint32_t method = 6;        // orvex_method code: the edge-directed method
    std::string wb = "camera";  // camera, daylight, none, or "R,G,B"
    std::string black;          // "N" or "N,N,N,N" per site of the top-left cell; empty: the file's
    int white = -1;
    bool matrix = true;
    bool linear = false;  // else sRGB for 8-bit outputs
    uint32_t bits = 8;    // output sample width, 8 or 16
    bool rotate = true;
    uint32_t threads = 0;
};

// The colour image: levels, white balance, matrix and transfer curve
// applied, oriented. 16-bit results hold the full 16-bit range.
Raster Develop(const CameraFile& file, const DevelopOptions& options);

// What `orvex info` prints about a file: text, or one JSON object.
std::string DescribeCameraFile(const std::string& path, const CameraFile& file, bool json);

}  // namespace orvex_tool
