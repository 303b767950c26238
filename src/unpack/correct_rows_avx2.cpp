// The AVX2 build of the corrections' row loop: the same body,
// compiled for the wider set so the compiler vectorises it with them.
#include "simd/x86/x86.h"
#include "unpack/correct_rows.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_CORRECT_SET(kCorrectRowAvx2, ORVEX_TARGET_AVX2)
#else
extern const CorrectRowFn kCorrectRowAvx2 = nullptr;
#endif

}  // namespace orvex
