// The formats the eight exports know: the first thirteen codes, and the size
// rule their buffers are sized by.
#pragma once

#include <cstdint>

#include "core/formats.h"

namespace orvex {

inline constexpr uint32_t kExportFormatCount = 13;

// The colour layout of an export format, or null for formats that have none.
inline const ChannelLayout* FindExportLayout(uint32_t format) {
    return format < kExportFormatCount ? FindColourLayout(format) : nullptr;
}

// True when width x height x bytes per pixel fits the size rule's 32 bits, so
// the buffer the rule sizes really covers the image.
inline bool SizeRuleCovers(uint32_t format, uint32_t width, uint32_t height) {
    if (format >= kExportFormatCount) return false;
    const uint64_t bytes = uint64_t(width) * height * PixelBytes(*FindFormat(format));
    return bytes <= UINT32_MAX;
}

}  // namespace orvex
