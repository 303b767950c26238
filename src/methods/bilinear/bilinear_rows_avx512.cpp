// AVX-512 kernels of the fused bilinear rows.
#include "methods/bilinear/bilinear_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/bilinear/bilinear_rows_x86.h"

namespace orvex::bilinear_x86 {
namespace {

template <class O, class P, bool kRedRow, bool kEvenColour, bool kRedFirst>
ORVEX_TARGET_AVX512 size_t Row(ORVEX_BILINEAR_ROW_ARGS) {
    ORVEX_BILINEAR_ROW_BODY(O)
}

}  // namespace
}  // namespace orvex::bilinear_x86

namespace orvex {
using namespace bilinear_x86;

extern const BilinearRowSet kBilinearRowsAvx512 = {
    {},
    {},
    ORVEX_BILINEAR_TABLE(Avx2Ops<1>, simd::QuadMaskedAvx512),
    ORVEX_BILINEAR_TABLE(Avx2Ops<1>, simd::QuadOpaqueAvx512)};
}  // namespace orvex
#else
namespace orvex {
extern const BilinearRowSet kBilinearRowsAvx512 = {};
}  // namespace orvex
#endif
