// NEON kernels of the pack stage, one per colour layout of the format table:
// whole vectors of 16 pixels (8 for 16-bit samples), the portable loop for
// the rest of the row. Bytes are the low byte of each sample (a narrowing
// move), or the narrowed sample: the saturating add of the rounding term can
// only saturate where the shifted sum exceeds 255 anyway, so the clamp
// gives the same byte. Packed pixels go out through the interleaving
// stores; four-byte pixels whose alpha the call leaves are loaded first and
// their alpha bytes written back unchanged. Grey is the luma in 32-bit
// lanes, its rounding shift narrowing into 16 bits.
#include "pack/pack_layouts.h"
#include "simd/arm/neon.h"

namespace orvex {

#if defined(ORVEX_NEON)
namespace {

template <bool kNarrow>
struct Lanes {
    uint16x8_t round;
    int16x8_t shift;  // negative: a right shift

    uint16x8_t Out(uint16x8_t v) const {
        if constexpr (!kNarrow) return v;
        return vminq_u16(vshlq_u16(vqaddq_u16(v, round), shift), vdupq_n_u16(255));
    }
    uint16x8_t Load(const uint16_t* p) const { return Out(vld1q_u16(p)); }
    // The bytes of 16 samples.
    uint8x16_t Bytes(const uint16_t* p) const {
        return vmovn_high_u16(vmovn_u16(Load(p)), Load(p + 8));
    }
    // Luma of 8 pixels in 16-bit lanes.
    uint16x8_t Luma(const uint16_t* r, const uint16_t* g, const uint16_t* b) const {
        const uint16x8_t vr = Load(r), vg = Load(g), vb = Load(b);
        uint32x4_t lo = vmull_n_u16(vget_low_u16(vr), 4899);
        uint32x4_t hi = vmull_high_n_u16(vr, 4899);
        lo = vmlal_n_u16(lo, vget_low_u16(vg), 9617);
        hi = vmlal_high_n_u16(hi, vg, 9617);
        lo = vmlal_n_u16(lo, vget_low_u16(vb), 1868);
        hi = vmlal_high_n_u16(hi, vb, 1868);
        return vrshrn_high_n_u32(vrshrn_n_u32(lo, 14), hi, 14);
    }
};

// The whole vectors of a row from pixel 0 of r, g, b; returns the pixels done.
template <size_t kRow, bool kAlpha, bool kNarrow>
size_t PackVectors(const PackRow& row, size_t first, size_t n, const uint16_t* r, const uint16_t* g,
                   const uint16_t* b, const PackValues& values) {
    constexpr ChannelLayout kLayout = kFormats[kRow].layout;
    constexpr bool kWide = kLayout.sampleBytes == 2;
    constexpr size_t kStep = kWide ? 8 : 16;
    const Lanes<kNarrow> lanes{vdupq_n_u16(values.round), vdupq_n_s16(int16_t(-values.shift))};
    size_t k = 0;
    if constexpr (kLayout.grey) {
        uint8_t* const px = row.at[0] + kLayout.sampleBytes * first;
        for (; k + 16 <= n; k += 16) {
            const uint16x8_t lo = lanes.Luma(r + k, g + k, b + k);
            const uint16x8_t hi = lanes.Luma(r + k + 8, g + k + 8, b + k + 8);
            if constexpr (kWide) {
                vst1q_u16(reinterpret_cast<uint16_t*>(px) + k, lo);
                vst1q_u16(reinterpret_cast<uint16_t*>(px) + k + 8, hi);
            } else {
                vst1q_u8(px + k, vmovn_high_u16(vmovn_u16(lo), hi));
            }
        }
    } else if constexpr (kLayout.planar) {
        const uint16_t* const in[3] = {r, g, b};
        const uint8_t plane[3] = {kLayout.r, kLayout.g, kLayout.b};
        for (; k + kStep <= n; k += kStep)
            for (size_t c = 0; c < 3; ++c) {
                uint8_t* const px = row.at[plane[c]] + kLayout.sampleBytes * first;
                if constexpr (kWide)
                    vst1q_u16(reinterpret_cast<uint16_t*>(px) + k, lanes.Load(in[c] + k));
                else
                    vst1q_u8(px + k, lanes.Bytes(in[c] + k));
            }
    } else if constexpr (kWide && kLayout.step == 3) {
        uint16_t* const px = reinterpret_cast<uint16_t*>(row.at[0]) + 3 * first;
        for (; k + kStep <= n; k += kStep) {
            uint16x8x3_t pixels;
            pixels.val[kLayout.r] = lanes.Load(r + k);
            pixels.val[kLayout.g] = lanes.Load(g + k);
            pixels.val[kLayout.b] = lanes.Load(b + k);
            vst3q_u16(px + 3 * k, pixels);
        }
    } else if constexpr (!kWide && kLayout.step == 3) {
        uint8_t* const px = row.at[0] + 3 * first;
        for (; k + kStep <= n; k += kStep) {
            uint8x16x3_t pixels;
            pixels.val[kLayout.r] = lanes.Bytes(r + k);
            pixels.val[kLayout.g] = lanes.Bytes(g + k);
            pixels.val[kLayout.b] = lanes.Bytes(b + k);
            vst3q_u8(px + 3 * k, pixels);
        }
    } else if constexpr (!kWide && kLayout.step == 4 && kLayout.alpha >= 0) {
        uint8_t* const px = row.at[0] + 4 * first;
        const uint8x16_t alpha = vdupq_n_u8(uint8_t(values.alpha));
        for (; k + kStep <= n; k += kStep) {
            uint8x16x4_t pixels;
            if constexpr (kAlpha)
                pixels.val[kLayout.alpha] = alpha;
            else
                pixels = vld4q_u8(px + 4 * k);
            pixels.val[kLayout.r] = lanes.Bytes(r + k);
            pixels.val[kLayout.g] = lanes.Bytes(g + k);
            pixels.val[kLayout.b] = lanes.Bytes(b + k);
            vst4q_u8(px + 4 * k, pixels);
        }
    }
    return k;
}

template <size_t kRow, bool kAlpha, bool kNarrow>
void PackNeon(const PackRow& row, size_t first, size_t n, const uint16_t* r, const uint16_t* g,
              const uint16_t* b, const PackValues& values) {
    // The lanes' narrowing holds for shifts up to 8, the widest samples'.
    const size_t done = !kNarrow || values.shift <= 8
                            ? PackVectors<kRow, kAlpha, kNarrow>(row, first, n, r, g, b, values)
                            : 0;
    PackLayoutRow<kRow, kAlpha, kNarrow>(row, first + done, n - done, r + done, g + done, b + done,
                                         values);
}

}  // namespace

ORVEX_PACK_SET_OF(kPackNeon, , PackNeon)
#else
extern const PackSet kPackNeon = {};
#endif

}  // namespace orvex
