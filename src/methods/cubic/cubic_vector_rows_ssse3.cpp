// SSSE3 kernels of the cubic methods: the recombination into packed
// three-byte pixels.
//
// 16-bit lanes throughout: the truncated mean of two samples is their
// rounded-up average minus the odd bit of their sum, the limit an unsigned
// minimum (a - saturating(a - m) on SSSE3), and the low byte is kept before
// the unsigned-saturating pack, which then cannot saturate.
#include "methods/cubic/cubic_vector_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "simd/x86/pixel_interleave.h"

namespace orvex {
namespace {

template <bool kRedFirst>
ORVEX_TARGET_SSSE3 size_t RowSsse3(uint8_t* out, const uint16_t* r, const uint16_t* gr,
                                   const uint16_t* gb, const uint16_t* b, size_t x, size_t width,
                                   uint16_t maxValue) {
    const __m128i limit = _mm_set1_epi16(static_cast<short>(maxValue));
    const __m128i low = _mm_set1_epi16(0x00FF), one = _mm_set1_epi16(1);
    auto load = [](const uint16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    auto byte = [&](__m128i v) {
        return _mm_and_si128(_mm_sub_epi16(v, _mm_subs_epu16(v, limit)), low);
    };
    auto green = [&](const uint16_t* p, const uint16_t* q) {
        const __m128i a = load(p), c = load(q);
        return byte(_mm_sub_epi16(_mm_avg_epu16(a, c), _mm_and_si128(_mm_xor_si128(a, c), one)));
    };
    for (; x + 16 <= width; x += 16) {
        const size_t col = x - 1;
        const __m128i vr = _mm_packus_epi16(byte(load(r + col)), byte(load(r + col + 8)));
        const __m128i vb = _mm_packus_epi16(byte(load(b + col)), byte(load(b + col + 8)));
        const __m128i vg =
            _mm_packus_epi16(green(gr + col, gb + col), green(gr + col + 8, gb + col + 8));
        if (kRedFirst)
            simd::Interleave3Ssse3<1>(out + 3 * x, vr, vg, vb);
        else
            simd::Interleave3Ssse3<1>(out + 3 * x, vb, vg, vr);
    }
    return x;
}

}  // namespace

extern const CubicVectorSet kCubicVectorsSsse3 = {{}, {}, {}, {RowSsse3<false>, RowSsse3<true>}};

}  // namespace orvex
#else
namespace orvex {
extern const CubicVectorSet kCubicVectorsSsse3 = {};
}  // namespace orvex
#endif
