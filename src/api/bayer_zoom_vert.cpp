// Mode gate of the vertical zoom.
#include "orvex.h"
#include "zoom/bayer_zoom.h"

namespace {
constexpr uint8_t kZoomVertical2x = 2;
}

extern "C" ORVEX_API int32_t ORVEX_CALL Orvex_BayerZoomVert(uint32_t mode, const ImageDesc* src,
                                                            const ImageDesc* dst) {
    if (static_cast<uint8_t>(mode) != kZoomVertical2x) return 1;
    orvex::BayerZoomVertical(*src, *dst);
    return 0;
}
