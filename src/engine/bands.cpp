#include "engine/bands.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/source_strips.h"
#include "engine/worker_pool.h"

namespace orvex::engine {

size_t BandCount(uint32_t width, uint32_t height, size_t threads, const MethodShape& shape) {
    const uint64_t pixels = uint64_t(width) * height;
    const size_t worth = size_t(std::max<uint64_t>(1, pixels / shape.pixelsPerBand));
    const size_t most = shape.maxBands ? shape.maxBands : threads;
    return std::max<size_t>(1, std::min({threads, most, worth, size_t(height / 2)}));
}

bool ConvertInBands(const Conversion& job, const MethodShape& shape, const SourceRows& rows,
                    size_t threads, SimdFeatures level) {
    const uint32_t h = job.dst.height;
    const size_t bands = BandCount(job.dst.width, h, threads, shape);
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
    RunTasks(bands, bands - 1, [&](size_t b) { runs[b]->Convert(parts[b]); });
    return true;
}

}  // namespace orvex::engine
