// The demosaic entry points: check everything, settle the conversion, and
// hand it to the engine's bands.
#include <algorithm>
#include <cmath>
#include <memory>

#include "api/entry_points.h"
#include "api/guarded.h"
#include "api/image_check.h"
#include "api/options.h"
#include "core/formats.h"
#include "engine/bands.h"
#include "engine/worker_pool.h"
#include "methods/registry.h"
#include "orvex2.h"
#include "pack/colour_stage.h"

namespace orvex::api {
namespace {

// Frames of cubic size limits: each side below 2^30.
constexpr uint32_t kLargestSide = (1u << 30) - 1;

}  // namespace

int Demosaic(const orvex_image* src, uint32_t x, uint32_t y, const orvex_image* dst,
             uint32_t method, const orvex_options* given, bool whole, SimdFeatures level) {
    const MethodEntry* entry = FindMethod(method);
    if (entry == nullptr) return ORVEX_ERROR_ARGUMENT;
    orvex_options options;
    if (const int status = ReadOptions(given, options); status != ORVEX_OK) return status;
    CheckedImage from, to;
    if (const int status = CheckImage(src, Role::Mosaic, from); status != ORVEX_OK) return status;
    if (const int status = CheckImage(dst, Role::Output, to); status != ORVEX_OK) return status;
    const SourceView frame = from.Source();
    if (frame.width < 2 || frame.height < 2 || frame.width > kLargestSide ||
        frame.height > kLargestSide)
        return ORVEX_ERROR_SIZE;
    if (x >= frame.width || y >= frame.height || to.view.width > frame.width - x ||
        to.view.height > frame.height - y)
        return ORVEX_ERROR_SIZE;
    if (whole && (to.view.width != frame.width || to.view.height != frame.height))
        return ORVEX_ERROR_SIZE;
    if (Overlap(from, to)) return ORVEX_ERROR_OVERLAP;

    SiteCorrection correction;
    if (!MakeSiteCorrection(options.black, options.white, options.gain, from.bits, correction))
        return ORVEX_ERROR_ARGUMENT;
    // Bit-packed or corrected rows reach the method through strips of its
    // working rows.
    const SourceRows sourceRows(frame, correction, level);
    SourceView methodFrame = frame;
    methodFrame.format = sourceRows.WorkingFormat();

    const ChannelLayout& layout = *FindColourLayout(to.view.format);
    const uint32_t largest = layout.sampleBytes == 2 ? 65535u : 255u;
    // The colour stage, when the matrix is not the identity or the curve not
    // linear: built once, read by every band.
    if (options.transfer > ORVEX_TRANSFER_SRGB || options.full_range > 1)
        return ORVEX_ERROR_ARGUMENT;
    bool identity = options.transfer == ORVEX_TRANSFER_LINEAR;
    for (size_t i = 0; i < 9; ++i) {
        if (!std::isfinite(options.matrix[i])) return ORVEX_ERROR_ARGUMENT;
        identity = identity && options.matrix[i] == (i % 4 == 0 ? 1.0f : 0.0f);
    }
    // The stage's range: bytes, the source's for 16-bit samples (or all 16
    // bits for full range), 0 .. 1 for floats.
    const bool fullRange = options.full_range != 0 && layout.sampleBytes == 2;
    const uint32_t colourMax = layout.sampleBytes == 1   ? 255u
                               : fullRange               ? 65535u
                               : layout.sampleBytes == 2 ? (1u << from.bits) - 1
                                                         : 1u;
    std::unique_ptr<ColourStage> colour;
    if (!identity)
        colour = std::make_unique<ColourStage>(options.matrix, Transfer(options.transfer),
                                               from.bits, colourMax, level, layout.grey);
    Conversion job{
        methodFrame,
        x,
        y,
        to.view,
        {true, uint16_t(std::min(options.alpha, largest)), from.bits, colour.get(), fullRange},
        true,
        (1u << from.bits) - 1};

    const size_t threads = options.threads == 0 ? engine::AvailableCores() : options.threads;
    if (!engine::ConvertInBands(job, entry->shape, sourceRows, threads, level))
        return ORVEX_ERROR_MEMORY;
    return ORVEX_OK;
}

}  // namespace orvex::api

extern "C" {

ORVEX2_API int orvex_demosaic(const orvex_image* src, const orvex_image* dst, uint32_t method,
                              const orvex_options* options) {
    return orvex::api::Guarded([&] {
        return orvex::api::Demosaic(src, 0, 0, dst, method, options, true, orvex::ProcessSimd());
    });
}

ORVEX2_API int orvex_demosaic_region(const orvex_image* src, uint32_t x, uint32_t y,
                                     const orvex_image* dst, uint32_t method,
                                     const orvex_options* options) {
    return orvex::api::Guarded([&] {
        return orvex::api::Demosaic(src, x, y, dst, method, options, false, orvex::ProcessSimd());
    });
}

}  // extern "C"
