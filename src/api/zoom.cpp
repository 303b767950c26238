// The zoom entry point: the views checked, then the zoom on them.
#include "api/entry_points.h"
#include "api/guarded.h"
#include "api/image_check.h"
#include "api/options.h"
#include "core/formats.h"
#include "methods/zoom/bayer_zoom.h"
#include "orvex2.h"

namespace orvex::api {

int Zoom(const orvex_image* src, const orvex_image* dst, const orvex_options* given,
         SimdFeatures level) {
    orvex_options options;
    if (const int status = ReadOptions(given, options); status != ORVEX_OK) return status;
    CheckedImage from, to;
    if (const int status = CheckImage(src, Role::Mosaic, from); status != ORVEX_OK) return status;
    if (const int status = CheckImage(dst, Role::Mosaic, to); status != ORVEX_OK) return status;
    if (to.view.format != from.view.format || to.view.pattern != from.view.pattern ||
        to.bits != from.bits)
        return ORVEX_ERROR_ARGUMENT;
    // Bit-packed rows would need packing again: unpack first.
    if (FindPacking(from.view.format) != nullptr) return ORVEX_ERROR_UNSUPPORTED;
    if (from.view.width < 2 || from.view.height < 2 || to.view.width != from.view.width ||
        uint64_t(to.view.height) != 2 * uint64_t(from.view.height))
        return ORVEX_ERROR_SIZE;
    if (Overlap(from, to)) return ORVEX_ERROR_OVERLAP;
    const SourceView view = from.Source();
    ZoomVertical(view, to.view, level);
    return ORVEX_OK;
}

}  // namespace orvex::api

extern "C" ORVEX2_API int orvex_zoom_vertical(const orvex_image* src, const orvex_image* dst,
                                              const orvex_options* options) {
    return orvex::api::Guarded(
        [&] { return orvex::api::Zoom(src, dst, options, orvex::ProcessSimd()); });
}
