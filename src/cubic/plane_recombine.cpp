// Plane recombination. Two planes of each pattern are read at the output
// column and two one column to the left; pixel 0 repeats pixel 1.
#include "cubic/plane_recombine.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "core/formats.h"
#include "core/samples.h"
#include "cubic/recombine_vector_rows.h"

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

// A packed destination's pixel, from the layout table.
template <uint32_t kFormat>
struct Packed {
    static constexpr ChannelLayout kLayout = kLayoutOf<kFormat>;
    using Sample = std::conditional_t<kLayout.sampleBytes == 2, Sample16, Sample8>;
    static constexpr size_t kPixelSamples = kLayout.step;
    static constexpr int kRedSample = kLayout.r;
    static void Put(uint8_t* px, uint32_t r, uint32_t g, uint32_t b) {
        Sample::Store(px, kLayout.r, r);
        Sample::Store(px, kLayout.g, g);
        Sample::Store(px, kLayout.b, b);
        if constexpr (kLayout.alpha >= 0) Sample::Store(px, size_t(kLayout.alpha), 255);
    }
};

uint32_t Limit(uint32_t v, uint32_t maxValue) {
    return v > maxValue ? maxValue : v;
}

template <class Layout>
ORVEX_ROW_KERNEL void RecombineRow(uint8_t* out, const uint16_t* const src[4], size_t width,
                                   uint32_t maxValue) {
    constexpr size_t kStride = Layout::kPixelSamples * Layout::Sample::kBytes;
    // Local copies: the byte stores below could otherwise alias the array.
    const uint16_t* const r = src[PlaneR];
    const uint16_t* const b = src[PlaneB];
    const uint16_t* const gr = src[PlaneGr];
    const uint16_t* const gb = src[PlaneGb];
    auto pixel = [=](size_t x, size_t col) {
        const uint32_t g = (uint32_t(gr[col]) + gb[col]) >> 1;
        Layout::Put(out + x * kStride, Limit(r[col], maxValue), Limit(g, maxValue),
                    Limit(b[col], maxValue));
    };
    pixel(0, 0);
    size_t x = 1;
    if constexpr (Layout::Sample::kBytes == 1 && Layout::kPixelSamples == 3)
        x = RecombineVectorRow8(out, r, gr, gb, b, 1, width, maxValue, Layout::kRedSample == 0);
    for (; x < width; ++x) pixel(x, x - 1);
}

using RowFn = void (*)(uint8_t*, const uint16_t* const[4], size_t, uint32_t);

constexpr RowFn kRowLoops[5] = {
    RecombineRow<Packed<kFormatBgr24>>, RecombineRow<Packed<kFormatArgb32>>,
    RecombineRow<Packed<kFormatRgb48>>, RecombineRow<Packed<kFormatBgra32>>,
    RecombineRow<Packed<kFormatRgb24>>};

}  // namespace

void RecombinePlaneRow(uint8_t* out, const uint16_t* const planeRows[4], uint32_t format,
                       size_t width, uint32_t pattern, uint32_t maxValue) {
    const uint16_t* src[4];
    for (int p = 0; p < 4; ++p) src[p] = planeRows[p] + kStartColumns[pattern][p];
    kRowLoops[format - kFormatBgr24](out, src, width, maxValue);
}

}  // namespace orvex
