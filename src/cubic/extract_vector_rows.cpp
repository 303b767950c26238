// The even samples are the low halves of lanes twice the sample width: a
// mask widens 8-bit ones in place; 16-bit ones are packed back from 32-bit
// lanes, which the pack interleaves by 128-bit lane and a permute restores.
#include "cubic/extract_vector_rows.h"

#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
namespace {

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// 16 outputs read 32 samples: the last vector must end inside the row.
ORVEX_VECTOR_INLINE size_t VectorEnd(size_t width, size_t available) {
    const size_t end = available / 2;
    return end < width ? end : width;
}

ORVEX_TARGET_AVX2 size_t Extract8Avx2(uint16_t* out, const uint8_t* row, size_t end) {
    const __m256i low = _mm256_set1_epi16(0x00FF);
    size_t l = 0;
    for (; l + 16 <= end; l += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + l),
                            _mm256_and_si256(Load(row + 2 * l), low));
    return l;
}

ORVEX_TARGET_AVX2 size_t Extract16Avx2(uint16_t* out, const uint8_t* row, size_t end) {
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    size_t l = 0;
    for (; l + 16 <= end; l += 16) {
        const __m256i a = _mm256_and_si256(Load(row + 4 * l), low);
        const __m256i b = _mm256_and_si256(Load(row + 4 * l + 32), low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + l),
                            _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8));
    }
    return l;
}

}  // namespace
#endif

size_t ExtractVectorRow8(uint16_t* out, const uint8_t* row, size_t width, size_t available) {
#if defined(ORVEX_SIMD_X86)
    if (ActiveSimdLevel() >= SimdLevel::Avx2)
        return Extract8Avx2(out, row, VectorEnd(width, available));
#endif
    (void)out, (void)row, (void)width, (void)available;
    return 0;
}

size_t ExtractVectorRow16(uint16_t* out, const uint8_t* row, size_t width, size_t available) {
#if defined(ORVEX_SIMD_X86)
    if (ActiveSimdLevel() >= SimdLevel::Avx2)
        return Extract16Avx2(out, row, VectorEnd(width, available));
#endif
    (void)out, (void)row, (void)width, (void)available;
    return 0;
}

}  // namespace orvex
