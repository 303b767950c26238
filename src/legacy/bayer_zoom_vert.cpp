// The zoom export: the mode gate, and the descriptors as views. What the
// export accepts is decided here; the zoom itself takes any view.
#include "core/image_view.h"
#include "legacy/contiguous_views.h"
#include "methods/zoom/bayer_zoom.h"
#include "orvex.h"

namespace {

constexpr uint8_t kZoomVertical2x = 2;

static_assert(uint32_t(Bayer8) == orvex::kFormatMosaic8 &&
              uint32_t(Bayer16) == orvex::kFormatMosaic16);

void ZoomDescriptors(const ImageDesc& src, const ImageDesc& dst) {
    if (src.format != Bayer8 && src.format != Bayer16) return;
    // A destination not sized as the source's width and twice its rows would
    // be written past its end: leave it untouched.
    if (dst.width != src.width || uint64_t(dst.height) != 2 * uint64_t(src.height)) return;
    if (dst.width > UINT16_MAX || dst.height > UINT16_MAX) return;
    orvex::ZoomVertical(
        orvex::ContiguousSource(src.data, src.format, src.width, src.height, src.bayerPattern),
        orvex::ContiguousDestination(dst.data, src.format, dst.width, dst.height, src.bayerPattern),
        orvex::ProcessSimd());
}

}  // namespace

extern "C" ORVEX_API int32_t ORVEX_CALL Orvex_BayerZoomVert(uint32_t mode, const ImageDesc* src,
                                                            const ImageDesc* dst) {
    if (static_cast<uint8_t>(mode) != kZoomVertical2x) return 1;
    ZoomDescriptors(*src, *dst);
    return 0;
}
