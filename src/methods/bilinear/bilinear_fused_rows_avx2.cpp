// The AVX2 build of the fused bilinear rows: the same body, compiled for the
// wider set so the compiler vectorises its per-sample loops with it.
#include "methods/bilinear/bilinear_fused_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_BILINEAR_FUSED_SET(kBilinearFusedAvx2, ORVEX_TARGET_AVX2)
#else
extern const BilinearFusedSet kBilinearFusedAvx2 = {};
#endif

}  // namespace orvex
