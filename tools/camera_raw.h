// Camera raw files (DNG and the makers' formats) for the tool: the shared
// camera reader and development (camera/), their failures as the tool's
// errors and the options' words as settings.
#pragma once

#include <cstdint>
#include <string>

#include "camera_file.h"
#include "image_io.h"

namespace orvex_tool {

// A camera file's visible mosaic and what the file says about it.
using CameraFile = orvex_camera::CameraMosaic;

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
    std::string curve = "bt709";  // bt709 or srgb
    bool linear = false;          // else the curve
    bool autoBright = true;
    double exposure = 0;  // EV
    bool half = false;    // one pixel per 2 x 2 cell
    uint32_t bits = 8;    // output sample width, 8 or 16
    bool rotate = true;
    uint32_t threads = 0;
};

// The colour image the shared development gives (camera_develop.h), the
// options' words checked.
Raster Develop(const CameraFile& file, const DevelopOptions& options);

// What `orvex info` prints about a file: text, or one JSON object.
std::string DescribeCameraFile(const std::string& path, const CameraFile& file, bool json);

}  // namespace orvex_tool
