// The AVX2 build of the pack kernels: the same body, compiled for the wider
// set so the compiler vectorises the interleaving stores with it.
#include "pack/pack_layouts.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_PACK_SET(kPackAvx2, ORVEX_TARGET_AVX2)
#else
extern const PackSet kPackAvx2 = {};
#endif

}  // namespace orvex
