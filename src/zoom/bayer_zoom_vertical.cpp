#include "zoom/bayer_zoom.h"

namespace orvex {

void BayerZoomVertical(const ImageDesc&, const ImageDesc&) {}

}  // namespace orvex
