// The formats' facts, written once: bytes per pixel, and where the channels
// of a colour layout sit. A new layout is one row here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"

namespace orvex {

inline constexpr uint32_t kFormatCount = 16;

// Bytes per pixel of each format code (planar formats: over all three planes).
inline constexpr uint8_t kBytesPerPixel[kFormatCount] = {1, 2, 1, 2, 1, 2, 3, 6,
                                                         3, 4, 6, 4, 3, 4, 1, 2};

// Where R, G, B and alpha of pixel 0 sit in a colour layout, and how far
// apart consecutive pixels of one channel are. Offsets and step count
// samples; for planar layouts the offsets are plane indices. A grey layout
// holds one sample per pixel, the luma of R, G and B.
struct ChannelLayout {
    uint8_t sampleBytes;
    uint8_t step;
    bool planar;
    uint8_t r, g, b;
    int8_t alpha;  // -1: none
    bool grey;
};

inline constexpr uint32_t kFirstColourFormat = kFormatPlanarRgb24;
inline constexpr uint32_t kLastColourFormat = kFormatGray16;

inline constexpr size_t kColourLayoutCount = kLastColourFormat - kFirstColourFormat + 1;

inline constexpr ChannelLayout kColourLayouts[kColourLayoutCount] = {
    {1, 1, true, 0, 1, 2, -1, false},   // PlanarRGB24
    {2, 1, true, 0, 1, 2, -1, false},   // PlanarRGB48
    {1, 3, false, 2, 1, 0, -1, false},  // BGR24
    {1, 4, false, 1, 2, 3, 0, false},   // ARGB32
    {2, 3, false, 0, 1, 2, -1, false},  // RGB48
    {1, 4, false, 2, 1, 0, 3, false},   // BGRA32
    {1, 3, false, 0, 1, 2, -1, false},  // RGB24
    {1, 4, false, 0, 1, 2, 3, false},   // RGBA32
    {1, 1, false, 0, 0, 0, -1, true},   // Gray8
    {2, 1, false, 0, 0, 0, -1, true},   // Gray16
};

// The layout of a colour format known at compile time.
template <uint32_t kFormat>
inline constexpr ChannelLayout kLayoutOf = kColourLayouts[kFormat - kFirstColourFormat];

// The colour layout of a format, or null for formats that have none.
inline const ChannelLayout* FindColourLayout(uint32_t format) {
    if (format < kFirstColourFormat || format > kLastColourFormat) return nullptr;
    return &kColourLayouts[format - kFirstColourFormat];
}

// Bytes of one row of `width` pixels laid out without padding: a planar
// layout's row is one plane's.
inline size_t PackedRowBytes(uint32_t format, uint32_t width) {
    const size_t pixel = kBytesPerPixel[format];
    const ChannelLayout* layout = FindColourLayout(format);
    return size_t(width) * (layout != nullptr && layout->planar ? pixel / 3 : pixel);
}

}  // namespace orvex
