// AVX2 kernels of the row unpackers: MIPI RAW12 and RAW10, 16 samples at a
// time, by byte shuffles into 16-bit lanes and the packings' shifts.
#include "simd/x86/x86.h"
#include "unpack/unpack_rows.h"

#if defined(ORVEX_X86)
namespace orvex {
namespace {

// RAW12: sample 2m's high byte is byte 3m, sample 2m + 1's byte 3m + 1; both
// take their low nibble from byte 3m + 2 (sample 2m the lower one). Each
// 128-bit half gathers its 8 samples' 12 bytes into words high:low.
ORVEX_TARGET_AVX2 size_t Mipi12(const uint8_t* row, size_t k, size_t width, uint16_t* out) {
    const size_t rowBytes = width / 2 * 3;
    const __m256i gather = _mm256_setr_epi8(2, 0, 2, 1, 5, 3, 5, 4, 8, 6, 8, 7, 11, 9, 11, 10,  //
                                            2, 0, 2, 1, 5, 3, 5, 4, 8, 6, 8, 7, 11, 9, 11, 10);
    // Dwords 0-2 (bytes 0-11) to the low half, 3-5 (bytes 12-23) to the high.
    const __m256i halves = _mm256_setr_epi32(0, 1, 2, 2, 3, 4, 5, 5);
    // Even samples keep the word's bits 15..8 as 11..4 and its low nibble;
    // odd ones are the word shifted down by 4.
    const __m256i keepShifted = _mm256_set1_epi32(0xFFFF0FF0),
                  keepLow = _mm256_set1_epi32(0x0000000F);
    // 16 samples take 24 bytes; the load reads 32.
    for (; k + 16 <= width && k / 2 * 3 + 32 <= rowBytes; k += 16) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + k / 2 * 3));
        const __m256i words =
            _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(bytes, halves), gather);
        const __m256i samples =
            _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(words, 4), keepShifted),
                            _mm256_and_si256(words, keepLow));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), samples);
    }
    return k;
}

// RAW10: sample 4g + i's high byte is byte 5g + i, its low 2 bits bits 2i,
// 2i + 1 of byte 5g + 4. The low byte is moved up by 6 - 2i (a multiply) so
// those bits land at 7..6.
ORVEX_TARGET_AVX2 size_t Mipi10(const uint8_t* row, size_t k, size_t width, uint16_t* out) {
    const size_t rowBytes = width / 4 * 5;
    const char z = char(0x80);
    const __m256i highs = _mm256_setr_epi8(0, z, 1, z, 2, z, 3, z, 5, z, 6, z, 7, z, 8, z,  //
                                           0, z, 1, z, 2, z, 3, z, 5, z, 6, z, 7, z, 8, z);
    const __m256i lows = _mm256_setr_epi8(4, z, 4, z, 4, z, 4, z, 9, z, 9, z, 9, z, 9, z,  //
                                          4, z, 4, z, 4, z, 4, z, 9, z, 9, z, 9, z, 9, z);
    const __m256i moves = _mm256_setr_epi16(64, 16, 4, 1, 64, 16, 4, 1, 64, 16, 4, 1, 64, 16, 4, 1);
    const __m256i two = _mm256_set1_epi16(3);
    // 16 samples take 20 bytes: two 16-byte loads, 10 bytes apart.
    for (; k + 16 <= width && k / 4 * 5 + 26 <= rowBytes; k += 16) {
        const uint8_t* p = row + k / 4 * 5;
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 10)), 1);
        const __m256i high = _mm256_slli_epi16(_mm256_shuffle_epi8(bytes, highs), 2);
        const __m256i low = _mm256_and_si256(
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_shuffle_epi8(bytes, lows), moves), 6), two);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), _mm256_or_si256(high, low));
    }
    return k;
}

}  // namespace

extern const UnpackVectorSet kUnpackVectorsAvx2 = {Mipi10, Mipi12};

}  // namespace orvex
#else
namespace orvex {
extern const UnpackVectorSet kUnpackVectorsAvx2 = {};
}  // namespace orvex
#endif
