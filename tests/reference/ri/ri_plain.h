// The residual-interpolation demosaic computed pixel by pixel from its
// equations: the plain form the library's passes are compared with.
#pragma once

#include "core/conversion.h"
#include "simd/simd.h"

namespace orvex {

// The region of the job's frame into its destination (level: the pack
// stage's kernels).
void RiPlain(const Conversion& job, SimdFeatures level);

}  // namespace orvex
