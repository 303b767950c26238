// SSSE3 kernels of the pack stage: three-byte pixels from 16-bit samples,
// of which the low byte is kept (a mask before the unsigned-saturating
// pack, which then cannot saturate), and RGB48 pixels of the samples as
// they are, interleaved by byte shuffles.
#include "pack/pack_rows.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "simd/x86/pixel_interleave.h"

namespace orvex {
namespace {

template <bool kRedFirst>
ORVEX_TARGET_SSSE3 size_t Triple8(const PackRow& row, size_t first, size_t k, size_t n,
                                  const uint16_t* r, const uint16_t* g, const uint16_t* b) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    auto bytes = [&](const uint16_t* p) ORVEX_TARGET_SSSE3 {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
        return _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(c, low));
    };
    uint8_t* out = row.at[0] + 3 * first;
    for (; k + 16 <= n; k += 16) {
        const __m128i vr = bytes(r + k), vg = bytes(g + k), vb = bytes(b + k);
        if (kRedFirst)
            simd::Interleave3Ssse3<1>(out + 3 * k, vr, vg, vb);
        else
            simd::Interleave3Ssse3<1>(out + 3 * k, vb, vg, vr);
    }
    return k;
}

// RGB48 pixels: the samples interleaved as they are.
ORVEX_TARGET_SSSE3 size_t Triple16(const PackRow& row, size_t first, size_t k, size_t n,
                                   const uint16_t* r, const uint16_t* g, const uint16_t* b) {
    uint8_t* out = row.at[0] + 6 * first;
    for (; k + 8 <= n; k += 8)
        simd::Interleave3Ssse3<2>(out + 6 * k,
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + k)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + k)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k)));
    return k;
}

}  // namespace

extern const PackVectorSet kPackVectorsSsse3 = {
    {Triple8<false>, Triple8<true>}, Triple16, nullptr, {nullptr, nullptr}};

}  // namespace orvex
#else
namespace orvex {
extern const PackVectorSet kPackVectorsSsse3 = {};
}  // namespace orvex
#endif
