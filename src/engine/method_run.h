// What the engine asks of a method: a plan settled once per call, and for
// each band a conversion in two steps, so a call with several bands takes
// all its working memory before any band writes.
#pragma once

#include <cstdint>
#include <memory>

#include "core/conversion.h"
#include "simd/simd.h"

namespace orvex {

// One conversion in two steps: Prepare takes all the working memory it
// needs (false when it could not, and nothing was written), Convert writes.
class MethodRun {
  public:
    virtual ~MethodRun() = default;
    virtual bool Prepare() = 0;
    // Writes `part`: the prepared conversion, or rows of it (the same frame
    // geometry and width, fewer rows; its frame may hold only the rows the
    // part reads, from its firstRow on).
    virtual void Convert(const Conversion& part) = 0;
};

// What a method settles once per call (its pack plan, its kernels, the
// sample width of its working rows), read by every band and strip of the
// call; each band's run holds only its own working memory.
class MethodPlan {
  public:
    virtual ~MethodPlan() = default;
    // The run of one band of the call: rows of its conversion.
    virtual std::unique_ptr<MethodRun> Band(const Conversion& band) const = 0;
};

using MethodPlanFn = std::unique_ptr<MethodPlan> (*)(const Conversion& job, SimdFeatures level);

// How a method's conversions run and divide among threads.
struct MethodShape {
    MethodPlanFn plan;
    // Pixels below which another thread costs more than it saves.
    uint32_t pixelsPerBand;
    // Rows above and below its output rows the method reads.
    uint32_t reach;
    // Bands converted at once at most (0: one per thread), which bounds the
    // working memory of methods that take a few MiB per band.
    uint32_t maxBands;
};

}  // namespace orvex
