// The AVX2 build of the cubic row loops: the same body, compiled for the
// wider set so the compiler vectorises its per-sample loops with it.
#include "methods/cubic/row_loops.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_CUBIC_LOOP_SET(kCubicLoopsAvx2, ORVEX_TARGET_AVX2)
#else
extern const CubicLoopSet kCubicLoopsAvx2 = {};
#endif

}  // namespace orvex
