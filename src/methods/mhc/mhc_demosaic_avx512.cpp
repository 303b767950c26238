// The AVX-512 build of the gradient-corrected rows: the same body, compiled for
// the wider set so the compiler vectorises its per-pixel sums with it.
#include "methods/mhc/mhc_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_MHC_SET(kMhcAvx512, ORVEX_TARGET_AVX512)
#else
extern const MhcSet kMhcAvx512 = {};
#endif

}  // namespace orvex
