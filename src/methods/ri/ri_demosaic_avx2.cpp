// The AVX2 build of the residual-interpolation passes: the same body,
// compiled for the wider set so the compiler vectorises its per-site
// arithmetic with it.
#include "methods/ri/ri_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_RI_SET(kRiAvx2, ORVEX_TARGET_AVX2, RiRowPasses)
#else
extern const RiSet kRiAvx2 = {};
#endif

}  // namespace orvex
