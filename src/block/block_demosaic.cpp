// Router of the block demosaic: settles layout, sample width and pattern once.
#include "block/block_demosaic.h"

#include "core/formats.h"
#include "simd/kernel_chain.h"

namespace orvex {
namespace {

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

}  // namespace

void BlockDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr || src.pattern > kBggr) return;
    const ChannelStarts ch = LocateChannels(*layout, dst);
    const PatternRoute& route = kPatternRoutes[src.pattern];
    uint8_t* top = route.redOnTop ? ch.r : ch.b;
    uint8_t* bottom = route.redOnTop ? ch.b : ch.r;
    static const BlockCellsSet* const kSets[kSimdLevelCount] = {&kBlockCellsPortable, nullptr,
                                                                nullptr, &kBlockCellsAvx2, nullptr};
    const size_t step = layout->step == 1 ? 0 : layout->step == 3 ? 1 : layout->step == 4 ? 2 : 3;
    const BlockCellsFn cells = WidestOf(kSets, level, [&](const BlockCellsSet& s) {
        return s.cells[src.format == kFormatMosaic16][route.greenCorner][step];
    });
    cells(src.data, src.stride, src.width, src.height, top, ch.g, bottom, dst.stride, layout->step,
          level);
}

}  // namespace orvex
