// AVX2 kernels of the pack stage: three-byte pixels from 16-bit samples,
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
ORVEX_TARGET_AVX2 size_t Triple8(const PackRow& row, size_t first, size_t k, size_t n,
                                 const uint16_t* r, const uint16_t* g, const uint16_t* b) {
    const __m256i low = _mm256_set1_epi16(0x00FF);
    auto bytes = [&](const uint16_t* p) ORVEX_TARGET_AVX2 {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 16));
        // The pack works within 128-bit halves; the quadword permute restores order.
        return _mm256_permute4x64_epi64(
            _mm256_packus_epi16(_mm256_and_si256(a, low), _mm256_and_si256(c, low)), 0xD8);
    };
    uint8_t* out = row.at[0] + 3 * first;
    for (; k + 32 <= n; k += 32) {
        const __m256i vr = bytes(r + k), vg = bytes(g + k), vb = bytes(b + k);
        if (kRedFirst)
            simd::Interleave3Avx2<1>(out + 3 * k, vr, vg, vb);
        else
            simd::Interleave3Avx2<1>(out + 3 * k, vb, vg, vr);
    }
    return k;
}

// RGB48 pixels: the samples interleaved as they are.
ORVEX_TARGET_AVX2 size_t Triple16(const PackRow& row, size_t first, size_t k, size_t n,
                                  const uint16_t* r, const uint16_t* g, const uint16_t* b) {
    uint8_t* out = row.at[0] + 6 * first;
    for (; k + 16 <= n; k += 16)
        simd::Interleave3Avx2<2>(out + 6 * k,
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + k)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + k)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + k)));
    return k;
}

// Opaque four-byte pixels, alpha after the channels (BGRA32, RGBA32 with
// alpha 255): the words c0 | c1 << 8 | c2 << 16 | 0xff << 24 built from two
// 16-bit halves of each pixel, low bytes kept; the unpack works within
// 128-bit halves, the lane permute restores pixel order.
template <bool kRedFirst>
ORVEX_TARGET_AVX2 size_t Quad8(const PackRow& row, size_t first, size_t k, size_t n,
                               const uint16_t* r, const uint16_t* g, const uint16_t* b) {
    const __m256i low = _mm256_set1_epi16(0x00FF), alpha = _mm256_set1_epi16(-256);
    const uint16_t* c0 = kRedFirst ? r : b;
    const uint16_t* c2 = kRedFirst ? b : r;
    uint8_t* out = row.at[0] + 4 * first;
    auto load = [&](const uint16_t* p) ORVEX_TARGET_AVX2 {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    };
    for (; k + 16 <= n; k += 16) {
        const __m256i front =
            _mm256_or_si256(_mm256_and_si256(load(c0 + k), low), _mm256_slli_epi16(load(g + k), 8));
        const __m256i back = _mm256_or_si256(_mm256_and_si256(load(c2 + k), low), alpha);
        const __m256i lo = _mm256_unpacklo_epi16(front, back),
                      hi = _mm256_unpackhi_epi16(front, back);
        auto* w = reinterpret_cast<__m256i*>(out + 4 * k);
        _mm256_storeu_si256(w, _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(w + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return k;
}

// min(255, (v + round) >> shift): the sum saturates at 65535, which
// shifted by at least 1 still clamps to 255 as the true sum would.
ORVEX_TARGET_AVX2 size_t Narrow(const uint16_t* in, size_t n, uint32_t round, uint32_t shift,
                                uint16_t* out) {
    const __m256i add = _mm256_set1_epi16(int16_t(round)), top = _mm256_set1_epi16(255);
    const __m128i by = _mm_cvtsi32_si128(int(shift));
    size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            _mm256_min_epu16(_mm256_srl_epi16(_mm256_adds_epu16(v, add), by), top));
    }
    return k;
}

}  // namespace

extern const PackVectorSet kPackVectorsAvx2 = {
    {Triple8<false>, Triple8<true>}, Triple16, Narrow, {Quad8<false>, Quad8<true>}};

}  // namespace orvex
#else
namespace orvex {
extern const PackVectorSet kPackVectorsAvx2 = {};
}  // namespace orvex
#endif
