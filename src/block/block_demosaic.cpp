// Router of the block demosaic: settles layout, sample width and pattern once.
#include "block/block_demosaic.h"

#include <cstddef>

#include "api/formats.h"

namespace orvex {
namespace {

using BlockKernel = void (*)(const uint8_t*, uint16_t, uint16_t, uint8_t*, uint8_t*, uint8_t*,
                             uint8_t);

struct PatternRoute {
    bool greenCorner;  // top-left sample of the cell is green
    bool redOnTop;     // the top row's colour sample is red
};

constexpr PatternRoute kPatternRoutes[4] = {
    {false, true},   // RGGB
    {true, true},    // GRBG
    {true, false},   // GBRG
    {false, false},  // BGGR
};

// [16-bit samples][green corner]
constexpr BlockKernel kKernels[2][2] = {
    {BlockCellsColourCorner8, BlockCellsGreenCorner8},
    {BlockCellsColourCorner16, BlockCellsGreenCorner16},
};

void RunRoute(const PatternRoute& route, bool wide, const uint8_t* src, uint16_t w, uint16_t h,
              uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step) {
    uint8_t* top = route.redOnTop ? r : b;
    uint8_t* bottom = route.redOnTop ? b : r;
    kKernels[wide][route.greenCorner](src, w, h, top, g, bottom, step);
}

}  // namespace

void BlockPlanar48(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                   uint8_t* planeR, uint8_t* planeG, uint8_t* planeB, uint8_t pixelStep) {
    if (pattern > BGGR) return;
    RunRoute(kPatternRoutes[pattern], true, src, width, height, planeR, planeG, planeB, pixelStep);
}

int32_t BlockDemosaic(const ImageDesc& src, const ImageDesc& dst) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr || src.bayerPattern > BGGR) return 0;
    if (!SizeRuleCovers(dst.format, src.width, src.height)) return 0;

    const ChannelStarts ch = LocateChannels(*layout, dst.data, size_t(src.width) * src.height);
    const auto* samples = static_cast<const uint8_t*>(src.data);
    const auto w = static_cast<uint16_t>(src.width);
    const auto h = static_cast<uint16_t>(src.height);
    if (dst.format == PlanarRGB48) {
        BlockPlanar48(src.bayerPattern, samples, w, h, ch.r, ch.g, ch.b, layout->step);
    } else {
        RunRoute(kPatternRoutes[src.bayerPattern], layout->sampleBytes == 2, samples, w, h, ch.r,
                 ch.g, ch.b, layout->step);
    }
    return 0;
}

}  // namespace orvex
