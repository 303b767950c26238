// Router of the bilinear demosaic: the format is settled once as three
// channel bases and a step.
#include "bilinear/bilinear_demosaic.h"

#include "api/formats.h"

namespace orvex {

int32_t BilinearDemosaic(const ImageDesc& src, const ImageDesc& dst) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr || !SizeRuleCovers(dst.format, src.width, src.height)) return 0;
    const ChannelStarts ch = LocateChannels(*layout, dst.data, size_t(src.width) * src.height);
    const auto driver = layout->sampleBytes == 2 ? BilinearRows16 : BilinearRows8;
    driver(src.bayerPattern, static_cast<const uint8_t*>(src.data),
           static_cast<uint16_t>(src.width), static_cast<uint16_t>(src.height), ch.r, ch.g, ch.b,
           layout->step);
    return 0;
}

}  // namespace orvex
