// The AVX-512 build of the directional LMMSE passes: the same body, compiled for
// the wider set so the compiler vectorises its per-site arithmetic with it.
#include "methods/dlmmse/dlmmse_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_DLMMSE_SET(kDlmmseAvx512, ORVEX_TARGET_AVX512)
#else
extern const DlmmseSet kDlmmseAvx512 = {};
#endif

}  // namespace orvex
