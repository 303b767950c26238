// The unpack entry point: any mosaic into 16-bit samples, corrected, row by
// row through the same reads a conversion makes.
#include <cstring>
#include <vector>

#include "api/entry_points.h"
#include "api/guarded.h"
#include "api/image_check.h"
#include "api/options.h"
#include "engine/bands.h"
#include "engine/worker_pool.h"
#include "orvex2.h"
#include "unpack/source_rows.h"

namespace orvex::api {
namespace {

// Unpacking splits like a method of no reach: a few operations a sample,
// so a band is worth a thread from 64 rows of 1024 samples on.
constexpr MethodShape kUnpackShape{nullptr, 1u << 16, 0, 0};

}  // namespace

int Unpack(const orvex_image* src, const orvex_image* dst, const orvex_options* given,
           SimdFeatures level) {
    orvex_options options;
    if (const int status = ReadOptions(given, options); status != ORVEX_OK) return status;
    CheckedImage from, to;
    if (const int status = CheckImage(src, Role::Mosaic, from); status != ORVEX_OK) return status;
    if (const int status = CheckImage(dst, Role::Mosaic, to); status != ORVEX_OK) return status;
    if (to.view.format != kFormatMosaic16) return ORVEX_ERROR_UNSUPPORTED;
    if (to.view.width != from.view.width || to.view.height != from.view.height)
        return ORVEX_ERROR_SIZE;
    if (Overlap(from, to)) return ORVEX_ERROR_OVERLAP;
    SiteCorrection correction;
    if (!MakeSiteCorrection(options.black, options.white, options.gain, from.bits, correction))
        return ORVEX_ERROR_ARGUMENT;
    const SourceView frame = from.Source();
    const SourceRows rows(frame, correction, level);
    const uint32_t h = frame.height;
    const size_t w = frame.width;
    const size_t threads = options.threads == 0 ? engine::AvailableCores() : options.threads;
    const engine::BandSplit split = engine::BandCount(frame.width, h, threads, kUnpackShape);
    const size_t bands = split.bands;
    // Each band's row buffer is taken before any row is written.
    std::vector<std::vector<uint16_t>> buffers(bands, std::vector<uint16_t>(w));
    engine::RunTasks(bands, split.workers - 1, [&](size_t b) {
        uint16_t* buffer = buffers[b].data();
        for (size_t y = engine::BandStart(h, b, bands); y < engine::BandEnd(h, b, bands); ++y) {
            rows.Read(y, buffer);
            std::memcpy(to.view.Row(y), buffer, 2 * w);  // rows may start at any byte
        }
    });
    return ORVEX_OK;
}

}  // namespace orvex::api

extern "C" ORVEX2_API int orvex_unpack(const orvex_image* src, const orvex_image* dst,
                                       const orvex_options* options) {
    return orvex::api::Guarded(
        [&] { return orvex::api::Unpack(src, dst, options, orvex::ProcessSimd()); });
}
