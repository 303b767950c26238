// Plane recombination. Two planes of each pattern are read at the output
// column and two one column to the left; pixel 0 repeats pixel 1.
#include "cubic/plane_recombine.h"

#include <cstddef>
#include <cstring>

#include "api/samples.h"

namespace orvex {
namespace {

// Start column (0 or 1) of PlaneR, PlaneB, PlaneGr, PlaneGb: 1 for the planes
// read at the output column, 0 for those read one column to the left.
constexpr uint8_t kStartColumns[4][4] = {
    {1, 0, 0, 1},  // RGGB: R, Gb at x; B, Gr at x - 1
    {0, 1, 1, 0},  // GRBG: B, Gr at x; R, Gb at x - 1
    {1, 0, 1, 0},  // GBRG: R, Gr at x; B, Gb at x - 1
    {0, 1, 0, 1},  // BGGR: B, Gb at x; R, Gr at x - 1
};

// Pixel layout of a packed destination: sample positions of R, G, B and
// alpha (or -1), samples per pixel, sample type.
template <class S, int kR, int kG, int kB, int kAlpha, int kPixel>
struct Packed {
    using Sample = S;
    static constexpr size_t kPixelSamples = kPixel;
    static void Put(uint8_t* px, uint32_t r, uint32_t g, uint32_t b) {
        S::Store(px, kR, r);
        S::Store(px, kG, g);
        S::Store(px, kB, b);
        if constexpr (kAlpha >= 0) S::Store(px, kAlpha, 255);
    }
};

using PackedBGR24 = Packed<Sample8, 2, 1, 0, -1, 3>;
using PackedARGB32 = Packed<Sample8, 1, 2, 3, 0, 4>;
using PackedRGB48 = Packed<Sample16, 0, 1, 2, -1, 3>;
using PackedBGRA32 = Packed<Sample8, 2, 1, 0, 3, 4>;
using PackedRGB24 = Packed<Sample8, 0, 1, 2, -1, 3>;

uint32_t Limit(uint32_t v, uint32_t maxValue) {
    return v > maxValue ? maxValue : v;
}

template <class Layout>
void RecombineRow(uint8_t* out, const uint16_t* const src[4], size_t width, uint32_t maxValue) {
    constexpr size_t kStride = Layout::kPixelSamples * Layout::Sample::kBytes;
    auto pixel = [&](size_t x, size_t col) {
        const uint32_t g = (uint32_t(src[PlaneGr][col]) + src[PlaneGb][col]) >> 1;
        Layout::Put(out + x * kStride, Limit(src[PlaneR][col], maxValue), Limit(g, maxValue),
                    Limit(src[PlaneB][col], maxValue));
    };
    pixel(0, 0);
    for (size_t x = 1; x < width; ++x) pixel(x, x - 1);
}

template <class Layout>
void RecombineRows(const ImageDesc& dst, const PlaneImage planes[4], size_t width, size_t height,
                   const uint8_t start[4], uint32_t maxValue, size_t firstRow) {
    constexpr size_t kRowBytes = Layout::kPixelSamples * Layout::Sample::kBytes;
    auto* base = static_cast<uint8_t*>(dst.data);
    for (size_t y = firstRow; y < height; ++y) {
        // Each plane is read from its start column on; pixel x reads offset x - 1.
        const uint16_t* src[4];
        for (int p = 0; p < 4; ++p) src[p] = PlaneRow(planes[p], uint16_t(y)) + start[p];
        RecombineRow<Layout>(base + y * width * kRowBytes, src, width, maxValue);
    }
}

using RowsFn = void (*)(const ImageDesc&, const PlaneImage[4], size_t, size_t, const uint8_t[4],
                        uint32_t, size_t);

constexpr RowsFn kRowLoops[5] = {RecombineRows<PackedBGR24>, RecombineRows<PackedARGB32>,
                                 RecombineRows<PackedRGB48>, RecombineRows<PackedBGRA32>,
                                 RecombineRows<PackedRGB24>};

uint32_t MaxValue(uint16_t bitDepth) {
    return bitDepth >= 16 ? 65535u : (uint32_t(1) << bitDepth) - 1;
}

}  // namespace

bool RecombinePlanes(const ImageDesc& dst, const PlaneImage planes[4], uint32_t format,
                     uint32_t width, uint32_t height, uint32_t pattern) {
    if (format < BGR24 || format > RGB24 || pattern > BGGR || width == 0 || height == 0)
        return true;
    const uint32_t maxValue = MaxValue(dst.bitDepth);
    const size_t w = width, h = height;
    if (format == RGB48) {
        // Row 0 of RGB48 is a copy of row 1; plane row 0 is not read.
        if (h < 2) return true;
        kRowLoops[format - BGR24](dst, planes, w, h, kStartColumns[pattern], maxValue, 1);
        auto* base = static_cast<uint8_t*>(dst.data);
        std::memcpy(base, base + 6 * w, 6 * w);
    } else {
        kRowLoops[format - BGR24](dst, planes, w, h, kStartColumns[pattern], maxValue, 0);
    }
    return true;
}

}  // namespace orvex
