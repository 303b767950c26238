// Byte lookups of alternating columns through two 256-entry tables, 64
// samples at a time by byte permutes over the tables held in registers
// (AVX-512 VBMI).
#include "simd/x86/x86.h"
#include "unpack/lookup_bytes.h"

namespace orvex {

#if defined(ORVEX_X86)
namespace {

ORVEX_AVX512_HEADERS_BEGIN

ORVEX_TARGET_AVX512_VBMI size_t LookupVbmi(const uint8_t* even, const uint8_t* odd,
                                           const uint8_t* row, size_t n, uint8_t* out) {
    __m512i e[4], o[4];
    for (size_t i = 0; i < 4; ++i) {
        e[i] = _mm512_loadu_si512(even + 64 * i);
        o[i] = _mm512_loadu_si512(odd + 64 * i);
    }
    const __mmask64 oddColumns = 0xAAAAAAAAAAAAAAAAull;
    size_t x = 0;
    for (; x + 64 <= n; x += 64) {
        const __m512i s = _mm512_loadu_si512(row + x);
        const __mmask64 high = _mm512_movepi8_mask(s);  // values 128 .. 255
        // Each permute reads the index's low seven bits.
        const __m512i fromEven = _mm512_mask_blend_epi8(
            high, _mm512_permutex2var_epi8(e[0], s, e[1]), _mm512_permutex2var_epi8(e[2], s, e[3]));
        const __m512i fromOdd = _mm512_mask_blend_epi8(
            high, _mm512_permutex2var_epi8(o[0], s, o[1]), _mm512_permutex2var_epi8(o[2], s, o[3]));
        _mm512_storeu_si512(out + x, _mm512_mask_blend_epi8(oddColumns, fromEven, fromOdd));
    }
    return x;
}

ORVEX_AVX512_HEADERS_END

}  // namespace

extern const LookupBytesFn kLookupBytesVbmi = LookupVbmi;
#else
extern const LookupBytesFn kLookupBytesVbmi = nullptr;
#endif

}  // namespace orvex
