// Router of the block demosaic: settles layout, sample width and pattern once.
#include "block/block_demosaic.h"

#include "core/formats.h"

namespace orvex {
namespace {

using BlockKernel = void (*)(const uint8_t*, ptrdiff_t, size_t, size_t, uint8_t*, uint8_t*,
                             uint8_t*, ptrdiff_t, uint8_t);

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

}  // namespace

void BlockDemosaic(const SourceView& src, const ImageView& dst) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr || src.pattern > kBggr) return;
    const ChannelStarts ch = LocateChannels(*layout, dst);
    const PatternRoute& route = kPatternRoutes[src.pattern];
    uint8_t* top = route.redOnTop ? ch.r : ch.b;
    uint8_t* bottom = route.redOnTop ? ch.b : ch.r;
    kKernels[src.format == kFormatMosaic16][route.greenCorner](
        src.data, src.stride, src.width, src.height, top, ch.g, bottom, dst.stride, layout->step);
}

}  // namespace orvex
