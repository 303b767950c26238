#include "engine/bands.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/source_strips.h"
#include "engine/worker_pool.h"

namespace orvex::engine {

BandSplit BandCount(uint32_t width, uint32_t height, size_t threads, const MethodShape& shape) {
    const uint64_t pixels = uint64_t(width) * height;
    const size_t worth = size_t(std::max<uint64_t>(1, pixels / shape.pixelsPerBand));
    const size_t most = shape.maxBands ? shape.maxBands : threads;
    const size_t rows = size_t(height / 2);
    const size_t workers = std::max<size_t>(1, std::min({threads, most, worth, rows}));
    if (workers == 1) return {1, 1};
    // The same number of bands for every worker, so none is left a band
    // more than the others at the end.
    const size_t held = shape.maxBands ? shape.maxBands / workers : kBandsPerThread;
    const size_t tall = height / (kBandRowsPerReachRow * 2 * std::max<size_t>(1, shape.reach));
    const size_t each = std::min({kBandsPerThread, rows / workers, held, tall / workers});
    return {workers * std::max<size_t>(1, each), workers};
}

bool ConvertInBands(const Conversion& job, const MethodShape& shape, const SourceRows& rows,
                    size_t threads, SimdFeatures level) {
    const uint32_t h = job.dst.height;
    const BandSplit split = BandCount(job.dst.width, h, threads, shape);
    const size_t bands = split.bands;
    const bool strips = rows.Needed();
    const std::unique_ptr<MethodPlan> plan = shape.plan(job, level);
    std::vector<std::unique_ptr<MethodRun>> runs(bands);
    std::vector<Conversion> parts(bands, job);
    for (size_t b = 0; b < bands; ++b) {
        const uint32_t first = BandStart(h, b, bands);
        const uint32_t end = BandEnd(h, b, bands);
        Conversion& band = parts[b];
        band.y = job.y + first;
        band.dst.data = job.dst.Row(first);
        band.dst.height = end - first;
        runs[b] = plan->Band(band);
        if (strips)
            runs[b] = std::make_unique<StripRun>(std::move(runs[b]), rows, shape.reach,
                                                 StripRowsFor(shape.reach));
        if (!runs[b]->Prepare()) return false;
    }
    RunTasks(bands, split.workers - 1, [&](size_t b) { runs[b]->Convert(parts[b]); });
    return true;
}

}  // namespace orvex::engine
