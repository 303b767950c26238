// SSSE3 kernels of the block rows.
#include "methods/block/block_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/block/block_rows_x86.h"

namespace orvex::block_x86 {
namespace {

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_SSSE3 size_t PairRowSsse3(ORVEX_BLOCK_ROW_ARGS) {
    ORVEX_BLOCK_ROW_BODY(16, __m128i, _mm_loadu_si128, _mm_and_si128, _mm_srli_epi16, _mm_add_epi16,
                         _mm_set1_epi16, simd::Pixels3Ssse3, _mm_storeu_si128)
}

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_SSSE3 size_t QuadPairRowSsse3(ORVEX_BLOCK_ROW_ARGS) {
    using P = simd::QuadPiecesSsse3;
    ORVEX_BLOCK_QUAD_SSSE3
}

}  // namespace
}  // namespace orvex::block_x86

namespace orvex {
extern const BlockRowSet kBlockRowsSsse3 = {
    ORVEX_BLOCK_TABLE(block_x86::PairRowSsse3), ORVEX_BLOCK_TABLE(block_x86::QuadPairRowSsse3), {}};
}  // namespace orvex
#else
namespace orvex {
extern const BlockRowSet kBlockRowsSsse3 = {};
}  // namespace orvex
#endif
