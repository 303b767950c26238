// The library's lists of formats and patterns, as the tool reads them. The
// tool keeps no other copy: commands, help and checks list from here.
#pragma once

#include <cstdint>

namespace orvex_tool {

struct FormatFacts {
    uint32_t mosaic;    // 1: a mosaic (source); 0: an output layout
    uint32_t bits;      // bits of a stored sample, or a packing's N
    uint32_t channels;  // samples of a pixel: 1, 3 or 4
    uint32_t planar;    // 1: three planes
    uint32_t hasAlpha;  // 1: the fourth sample is alpha
};

// The index-th format of the library's table, or 0 past the end.
uint32_t FormatAt(uint32_t index);
// The format's name, or nullptr for an unknown code.
const char* FormatName(uint32_t format);
// False for an unknown code.
bool QueryFormat(uint32_t format, FormatFacts* facts);
// The pattern's name ("rggb", ...), or nullptr for an unknown code.
const char* PatternName(uint32_t pattern);

}  // namespace orvex_tool
