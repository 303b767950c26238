// The tool's use of the library: methods, layouts and patterns as the
// library lists them, and conversions through its second interface only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image_io.h"
#include "library_tables.h"
#include "orvex2.h"

namespace orvex_tool {

// ---- the library's lists ----

// Method codes, 1 up, as orvex_method_name lists them.
std::vector<uint32_t> MethodCodes();
// The method of a library name; "cubic" names cubic-float, as before the
// library named it. A usage error lists the names.
uint32_t FindMethod(const std::string& name);
// Every name --method takes, the alias included.
std::vector<std::string> MethodChoices();
// "bilinear, block, ... or dlmmse", for help texts.
std::string MethodList();

// Output layouts (the table's formats that are not mosaics), in its order.
std::vector<uint32_t> LayoutCodes();
// A layout by its library name in any case, hyphens optional
// ("PlanarRGB24" names planar-rgb24).
uint32_t FindLayout(const std::string& name);
FormatFacts Facts(uint32_t format);
// The layout used when none is named: rgb24 for 8-bit mosaics, else rgb48.
uint32_t DefaultLayout(const Raster& mosaic);

// Mosaic formats of headerless frames as cameras send them, bit-packed or
// big-endian (--format).
std::vector<std::string> RawFormatChoices();
// One of those formats by name, or 0.
uint32_t FindRawFormat(const std::string& name);

// Pattern names as the tool shows them, upper case, in code order.
const std::vector<std::string>& PatternChoices();
uint32_t FindPattern(const std::string& name);

// "a, b, c or d".
std::string Listed(const std::vector<std::string>& names);

// ---- conversions ----

// Demosaics a one-channel raster into the layout's bytes, rows contiguous.
// Throws a ToolError naming `source` with the library's reason when it
// refuses (size, layout or method).
std::vector<uint8_t> Demosaic(const Raster& mosaic, uint32_t pattern, uint32_t method,
                              uint32_t layout, const std::string& source);

// The same conversion as an image: RGB, RGBA for layouts with alpha, grey
// for grey layouts, at the layout's sample width. Samples keep the mosaic's
// range (8 bits for 8-bit layouts).
Raster DemosaicImage(const Raster& mosaic, uint32_t pattern, uint32_t method, uint32_t layout,
                     const std::string& source);

// The bytes of an image layout (rgb24, rgb48, rgba32, gray8, ...: contiguous,
// channels in that order) of a conversion of `mosaic`, as an image.
Raster ImageOf(const std::vector<uint8_t>& bytes, uint32_t layout, const Raster& mosaic);

// The vertical 2x zoom of a one-channel raster.
Raster ZoomMosaic(const Raster& mosaic, uint32_t pattern, const std::string& source);

}  // namespace orvex_tool
