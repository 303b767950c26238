// AVX-512 VBMI kernel of the MIPI RAW12 row unpacker: 32 samples from 48
// bytes at a time, each sample's two bytes brought into its 16-bit lane by
// one byte permute, then the packing's shifts.
#include "simd/x86/x86.h"
#include "unpack/unpack_rows.h"

namespace orvex {

#if defined(ORVEX_X86)
namespace {

// GCC 12's AVX-512 headers fill the unused source of unmasked operations
// from a self-initialised variable, which -Wmaybe-uninitialized reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Sample 2m's high byte is byte 3m, sample 2m + 1's byte 3m + 1; both take
// their low nibble from byte 3m + 2. Lane j gets bytes (low, high) =
// (3m + 2, 3m + j % 2) for m = j / 2.
__attribute__((target("avx2,avx512f,avx512bw,avx512vbmi"))) size_t Mipi12(const uint8_t* row,
                                                                          size_t k, size_t width,
                                                                          uint16_t* out) {
    alignas(64) uint8_t order[64];
    for (int j = 0; j < 32; ++j) {
        order[2 * j] = uint8_t(3 * (j / 2) + 2);
        order[2 * j + 1] = uint8_t(3 * (j / 2) + j % 2);
    }
    const __m512i gather = _mm512_load_si512(order);
    const __m512i keepShifted = _mm512_set1_epi32(int(0xFFFF0FF0)),
                  keepLow = _mm512_set1_epi32(0x0000000F);
    const size_t rowBytes = width / 2 * 3;
    // 32 samples take 48 bytes; the load reads 64.
    for (; k + 32 <= width && k / 2 * 3 + 64 <= rowBytes; k += 32) {
        const __m512i bytes = _mm512_loadu_si512(row + k / 2 * 3);
        const __m512i words = _mm512_permutexvar_epi8(gather, bytes);
        const __m512i samples =
            _mm512_or_si512(_mm512_and_si512(_mm512_srli_epi16(words, 4), keepShifted),
                            _mm512_and_si512(words, keepLow));
        _mm512_storeu_si512(out + k, samples);
    }
    return k;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace

extern const UnpackVectorSet kUnpackVectorsVbmi = {nullptr, Mipi12};
#else
extern const UnpackVectorSet kUnpackVectorsVbmi = {};
#endif

}  // namespace orvex
