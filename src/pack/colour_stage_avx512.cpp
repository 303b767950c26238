// The AVX-512 build of the colour stage's loops: the same body,
// compiled for the widest set.
#include "pack/colour_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_COLOUR_SET(kColourAvx512, ORVEX_TARGET_AVX512)
#else
extern const ColourChunkFn kColourAvx512 = nullptr;
#endif

}  // namespace orvex
