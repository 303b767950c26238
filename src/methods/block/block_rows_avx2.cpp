// AVX2 kernels of the block rows.
#include "methods/block/block_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/block/block_rows_x86.h"

namespace orvex::block_x86 {
namespace {

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_AVX2 size_t PairRowAvx2(ORVEX_BLOCK_ROW_ARGS) {
    ORVEX_BLOCK_ROW_BODY(32, __m256i, _mm256_loadu_si256, _mm256_and_si256, _mm256_srli_epi16,
                         _mm256_add_epi16, _mm256_set1_epi16, simd::Pixels3Avx2,
                         _mm256_storeu_si256)
}

template <bool kColourCorner, bool kTopFirst>
ORVEX_TARGET_AVX2 size_t QuadPairRowAvx2(ORVEX_BLOCK_ROW_ARGS) {
    using P = simd::QuadPiecesAvx2;
    ORVEX_BLOCK_QUAD_AVX2
}

}  // namespace
}  // namespace orvex::block_x86

namespace orvex {
extern const BlockRowSet kBlockRowsAvx2 = {
    ORVEX_BLOCK_TABLE(block_x86::PairRowAvx2), ORVEX_BLOCK_TABLE(block_x86::QuadPairRowAvx2), {}};
}  // namespace orvex
#else
namespace orvex {
extern const BlockRowSet kBlockRowsAvx2 = {};
}  // namespace orvex
#endif
