// NEON middle-site kernels of the zoom. A de-interleaving load parts each
// row's columns into the pairs' colour sites and green sites, so every lane
// sums only its own site's terms; an interleaving store puts the pairs back.
// 8-bit sums are exact thirds as the high half of t x 0x5556 (the doubling
// multiply by 0x2AAB), 16-bit ones as (t + 0.5) / 3 in single precision:
// the x86 kernels' arithmetic, so every level gives the same bytes.
#include "methods/zoom/zoom_middle_sites.h"
#include "simd/arm/neon.h"

#if defined(ORVEX_NEON)
namespace orvex {
namespace {

inline uint8x8_t Third8(uint16x8_t t) {
    return vmovn_u16(vreinterpretq_u16_s16(vqdmulhq_n_s16(vreinterpretq_s16_u16(t), 0x2AAB)));
}

// Sums of 2 x a + b + 2 and a + b + c + 2 of 16 byte lanes, in thirds.
inline uint8x16_t ColourThirds(uint8x16_t heavy, uint8x16_t light) {
    const uint16x8_t two = vdupq_n_u16(2);
    const uint16x8_t lo =
        vaddq_u16(vaddw_u8(vshll_n_u8(vget_low_u8(heavy), 1), vget_low_u8(light)), two);
    const uint16x8_t hi = vaddq_u16(vaddw_high_u8(vshll_high_n_u8(heavy, 1), light), two);
    return vcombine_u8(Third8(lo), Third8(hi));
}

inline uint8x16_t GreenThirds(uint8x16_t a, uint8x16_t b, uint8x16_t c) {
    const uint16x8_t two = vdupq_n_u16(2);
    const uint16x8_t lo =
        vaddq_u16(vaddw_u8(vaddl_u8(vget_low_u8(a), vget_low_u8(b)), vget_low_u8(c)), two);
    const uint16x8_t hi = vaddq_u16(vaddw_high_u8(vaddl_high_u8(a, b), c), two);
    return vcombine_u8(Third8(lo), Third8(hi));
}

// 16 pairs a step; the last diagonal load reaches column c + 33.
size_t Middle8(uint8_t* out, const uint8_t* heavy, const uint8_t* light, const uint8_t* diag,
               size_t c, size_t end) {
    for (; c + 33 <= end; c += 32) {
        const uint8x16x2_t h = vld2q_u8(heavy + c);
        const uint8x16_t l = vld2q_u8(light + c).val[0];
        const uint8x16_t d0 = vld2q_u8(diag + c).val[0], d1 = vld2q_u8(diag + c + 2).val[0];
        vst2q_u8(out + c, uint8x16x2_t{{ColourThirds(h.val[0], l), GreenThirds(d0, h.val[1], d1)}});
    }
    return c;
}

inline uint16x4_t Third16(uint32x4_t t) {
    const float32x4_t q =
        vmulq_f32(vaddq_f32(vcvtq_f32_u32(t), vdupq_n_f32(0.5f)), vdupq_n_f32(1.0f / 3.0f));
    return vmovn_u32(vcvtq_u32_f32(q));
}

inline uint16x8_t Thirds16(uint32x4_t lo, uint32x4_t hi) {
    const uint32x4_t two = vdupq_n_u32(2);
    return vcombine_u16(Third16(vaddq_u32(lo, two)), Third16(vaddq_u32(hi, two)));
}

// 8 pairs a step; the last diagonal load reaches column c + 17.
size_t Middle16(uint8_t* out, const uint8_t* heavy, const uint8_t* light, const uint8_t* diag,
                size_t c, size_t end) {
    auto at = [](const uint8_t* row, size_t column) {
        return reinterpret_cast<const uint16_t*>(row) + column;
    };
    for (; c + 17 <= end; c += 16) {
        const uint16x8x2_t h = vld2q_u16(at(heavy, c));
        const uint16x8_t l = vld2q_u16(at(light, c)).val[0];
        const uint16x8_t d0 = vld2q_u16(at(diag, c)).val[0], d1 = vld2q_u16(at(diag, c + 2)).val[0];
        const uint16x8_t he = h.val[0], hg = h.val[1];
        const uint16x8_t colour =
            Thirds16(vaddw_u16(vshll_n_u16(vget_low_u16(he), 1), vget_low_u16(l)),
                     vaddw_high_u16(vshll_high_n_u16(he, 1), l));
        const uint16x8_t green =
            Thirds16(vaddw_u16(vaddl_u16(vget_low_u16(d0), vget_low_u16(hg)), vget_low_u16(d1)),
                     vaddw_high_u16(vaddl_high_u16(d0, hg), d1));
        vst2q_u16(reinterpret_cast<uint16_t*>(out) + c, uint16x8x2_t{{colour, green}});
    }
    return c;
}

}  // namespace

extern const ZoomMiddleSet kZoomMiddleNeon = {Middle8, Middle16};
}  // namespace orvex
#else
namespace orvex {
extern const ZoomMiddleSet kZoomMiddleNeon = {};
}  // namespace orvex
#endif
