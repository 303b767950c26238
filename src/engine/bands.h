// A conversion split into bands of rows, a few a thread: each band planned
// and given its working memory before any band writes, then all converted
// on the shared workers, each taking the next band left.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "engine/method_run.h"
#include "simd/simd.h"
#include "unpack/source_rows.h"

namespace orvex::engine {

// Bands a worker takes in turn: a thread the system holds up leaves the
// others its later bands instead of making them wait for its one band.
inline constexpr size_t kBandsPerThread = 4;

// Each band also converts the method's reach of rows above and below it:
// more bands than one a worker only while every band holds this many rows
// for each of those, so the rows done twice stay under 2 % of the work.
inline constexpr size_t kBandRowsPerReachRow = 64;

// The bands the region's rows split into for `threads` threads and the
// threads that convert them: workers each worth a thread by the method's
// shape, at most its bands at once, up to kBandsPerThread bands each where
// there is more than one worker and the bands stay tall against the
// method's reach, every band of at least two rows.
struct BandSplit {
    size_t bands, workers;
};
BandSplit BandCount(uint32_t width, uint32_t height, size_t threads, const MethodShape& shape);

// The first row of band b of `count` over `height` rows, even, so every
// band starts on the same row of the pattern's cell.
inline uint32_t BandStart(uint32_t height, size_t b, size_t count) {
    return uint32_t((uint64_t(height) * b / count) & ~uint64_t(1));
}

// The row after band b's last.
inline uint32_t BandEnd(uint32_t height, size_t b, size_t count) {
    return b + 1 == count ? height : BandStart(height, b + 1, count);
}

// Converts `job` by the method in bands for `threads` threads; `rows`: the
// frame's rows, read through strips where they need unpacking or
// correcting (job.frame is then the strips' sample width). False when
// working memory could not be had: nothing was written.
bool ConvertInBands(const Conversion& job, const MethodShape& shape, const SourceRows& rows,
                    size_t threads, SimdFeatures level);

}  // namespace orvex::engine
