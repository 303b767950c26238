// AVX-512 kernels of the block rows.
#include "methods/block/block_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/block/block_rows_x86.h"

namespace orvex::block_x86 {
namespace {

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_AVX512 size_t QuadPairRowAvx512(ORVEX_BLOCK_ROW_ARGS) {
    using P = simd::QuadMaskedAvx512;
    ORVEX_BLOCK_QUAD_AVX2
}

}  // namespace
}  // namespace orvex::block_x86

namespace orvex {
extern const BlockRowSet kBlockRowsAvx512 = {
    {}, ORVEX_BLOCK_TABLE(block_x86::QuadPairRowAvx512), {}};
}  // namespace orvex
#else
namespace orvex {
extern const BlockRowSet kBlockRowsAvx512 = {};
}  // namespace orvex
#endif
