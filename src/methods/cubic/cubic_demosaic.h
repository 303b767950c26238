// Cubic demosaic: the mosaic's four half-size colour planes are enlarged by
// separable cubic convolution (a = -1) and recombined. Each conversion owns
// its working memory, so any number may run at once; everything allocated is
// freed before returning.
#pragma once

#include <cstdint>
#include <memory>

#include "core/conversion.h"
#include "methods/cubic/cubic_memory.h"
#include "methods/cubic/row_kernels.h"
#include "pack/pack_rows.h"
#include "simd/simd.h"

namespace orvex {

inline constexpr int32_t kCubicFailed = 1;

// The conversion of a region of a Mosaic8 or Mosaic16 frame, patterns 0..3,
// at least 2 x 2 and below 2^30 on each side, into a colour layout view of
// the region's size; the caller checks. Samples are limited to the job's
// maxValue. Every allocation goes through `memory`. Returns 0 after a
// complete conversion, kCubicFailed when an allocation failed, and then
// nothing was written. No kernel wider than level runs.
int32_t DemosaicBicubicFloat(const Conversion& job, CubicMemory& memory, SimdFeatures level);

struct CubicPlan;

// The same in two steps, for callers that hold several conversions' memory
// before any writes: Prepare allocates everything (false when it could
// not, and nothing was written), Convert writes the region.
class CubicConversion {
  public:
    CubicConversion(bool fixed, const Conversion& job, CubicMemory& memory, SimdFeatures level);
    // The same with the call's row kernels, chosen once for all its bands.
    CubicConversion(bool fixed, const Conversion& job, CubicMemory& memory, SimdFeatures level,
                    const CubicRowKernels& kernels);
    ~CubicConversion();
    CubicConversion(const CubicConversion&) = delete;
    CubicConversion& operator=(const CubicConversion&) = delete;

    bool Prepare();
    void Convert();
    // Rows of the prepared conversion (see MethodRun), packed by the call's
    // plan.
    void Convert(const Conversion& part, const PackPlan& pack);

  private:
    bool fixed_;
    SimdFeatures level_;
    Conversion job_;
    std::unique_ptr<CubicPlan> plan_;
};
int32_t DemosaicBicubicFixed(const Conversion& job, CubicMemory& memory, SimdFeatures level);

}  // namespace orvex
