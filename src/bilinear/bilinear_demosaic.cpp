// Router of the bilinear demosaic: the format is settled once as three
// channel bases and a step.
#include "bilinear/bilinear_demosaic.h"

#include "core/formats.h"

namespace orvex {

void BilinearDemosaic(const SourceView& src, const ImageView& dst, SimdLevel level) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr) return;
    const ChannelStarts ch = LocateChannels(*layout, dst);
    const auto driver = src.format == kFormatMosaic16 ? BilinearRows16 : BilinearRows8;
    driver(src.pattern, src.data, src.stride, src.width, src.height, ch.r, ch.g, ch.b, dst.stride,
           layout->step, level);
}

}  // namespace orvex
