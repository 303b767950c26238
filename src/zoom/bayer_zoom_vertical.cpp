// Entry of the vertical zoom: picks the sample width from the source format.
#include "zoom/bayer_zoom.h"

namespace orvex {

void BayerZoomVertical(const ImageDesc& src, const ImageDesc& dst) {
    const bool wide = src.format == Bayer16;
    if (!wide && src.format != Bayer8) return;
    // A destination not sized as the source's width and twice its rows would
    // be written past its end by the spread pass: leave it untouched.
    if (dst.width != src.width || uint64_t(dst.height) != 2 * uint64_t(src.height)) return;
    if (dst.width > UINT16_MAX || dst.height > UINT16_MAX) return;

    const auto* from = static_cast<const uint8_t*>(src.data);
    auto* to = static_cast<uint8_t*>(dst.data);
    const auto w = static_cast<uint16_t>(dst.width);
    const auto h = static_cast<uint16_t>(dst.height);
    (wide ? ZoomRows16 : ZoomRows8)(from, to, w, h, src.bayerPattern);
}

}  // namespace orvex
