// The AVX2 build of the colour stage's loops: the same body,
// compiled for the wider set so the compiler vectorises it with them.
#include "pack/colour_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_COLOUR_SET(kColourAvx2, ORVEX_TARGET_AVX2)
#else
extern const ColourChunkFn kColourAvx2 = nullptr;
#endif

}  // namespace orvex
