// The AVX-512 build of the residual-interpolation passes: the same body,
// compiled for the wider set so the compiler vectorises its per-site
// arithmetic with it, with the passes along a row of the line and green
// stages in registers (ri_row_blocks_avx512.h).
#include "methods/ri/ri_row_blocks_avx512.h"
#include "methods/ri/ri_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_RI_SET(kRiAvx512, ORVEX_TARGET_AVX512, RiRowPassesAvx512)
#else
extern const RiSet kRiAvx512 = {};
#endif

}  // namespace orvex
