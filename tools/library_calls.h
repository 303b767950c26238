// The tool's use of the library: names of methods, layouts and patterns, and
// conversions through the public C interface only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image_io.h"
#include "orvex.h"
#include "orvex2.h"

namespace orvex_tool {

struct MethodInfo {
    const char* name;
    uint32_t code;
    const char* summary;
    bool secondInterface;  // a method of orvex2.h only, converted through it
};

struct LayoutInfo {
    const char* name;
    uint32_t format;   // the exports' code
    uint32_t format2;  // the second interface's code
    bool wide;         // 16-bit samples
    bool planar;
    uint32_t pixel;  // samples per pixel (packed) or planes (planar)
    int r, g, b, alpha;
};

const std::vector<MethodInfo>& Methods();
const std::vector<LayoutInfo>& Layouts();
const char* const* PatternNames();  // indexed by code 0..3

const MethodInfo& FindMethod(const std::string& name);
const LayoutInfo& FindLayout(const std::string& name);
uint32_t FindPattern(const std::string& name);

// The layout used when none is named: RGB24 for 8-bit mosaics, else RGB48.
const LayoutInfo& DefaultLayout(const Raster& mosaic);

// Demosaics a one-channel raster; returns the destination bytes in the
// layout. The buffer starts with every colour sample 0 and every alpha 255,
// which is what the one-pixel border of the bilinear method and the alpha of
// block and bilinear keep (the second interface's methods write every
// pixel, alpha 255). Throws a ToolError naming `source` when the method
// cannot produce the layout or rejects the size.
std::vector<uint8_t> Demosaic(const Raster& mosaic, uint32_t pattern, const MethodInfo& method,
                              const LayoutInfo& layout, const std::string& source);

// The layout bytes as an interleaved RGB (or RGBA for 32-bit layouts) raster.
Raster LayoutToRaster(const std::vector<uint8_t>& bytes, const LayoutInfo& layout, uint32_t width,
                      uint32_t height, uint32_t bitDepth);

// The vertical 2x zoom of a one-channel raster.
Raster ZoomMosaic(const Raster& mosaic, uint32_t pattern, const std::string& source);

}  // namespace orvex_tool
