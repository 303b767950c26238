// AVX-512 VBMI kernel of the MIPI RAW12 row unpacker: 32 samples from 48
// bytes at a time, each sample's two bytes brought into its 16-bit lane by
// one byte permute, then the packing's shifts.
#include "simd/x86/x86.h"
#include "unpack/unpack_rows.h"

namespace orvex {

#if defined(ORVEX_X86)
namespace {

ORVEX_AVX512_HEADERS_BEGIN

struct ByteOrder {
    alignas(64) uint8_t bytes[64];
};

constexpr ByteOrder Mipi12Order() {
    ByteOrder o{};
    for (int j = 0; j < 32; ++j) {
        o.bytes[2 * j] = uint8_t(3 * (j / 2) + 2);
        o.bytes[2 * j + 1] = uint8_t(3 * (j / 2) + j % 2);
    }
    return o;
}

// Sample 2m's high byte is byte 3m, sample 2m + 1's byte 3m + 1; both take
// their low nibble from byte 3m + 2. Lane j gets bytes (low, high) =
// (3m + 2, 3m + j % 2) for m = j / 2.
constexpr ByteOrder kMipi12Order = Mipi12Order();

ORVEX_TARGET_AVX512_VBMI size_t Mipi12(const uint8_t* row, size_t k, size_t width, uint16_t* out) {
    const __m512i gather = _mm512_load_si512(kMipi12Order.bytes);
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

ORVEX_AVX512_HEADERS_END

}  // namespace

extern const UnpackVectorSet kUnpackVectorsVbmi = {nullptr, Mipi12};
#else
extern const UnpackVectorSet kUnpackVectorsVbmi = {};
#endif

}  // namespace orvex
