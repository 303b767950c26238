// NEON kernels of the fused bilinear rows: the shared body over 16-byte
// lanes. The rounding halving add is the rounded mean of two samples, and
// the interleaving stores write whole pixels without shuffles.
#include "methods/bilinear/bilinear_rows.h"
#include "simd/arm/neon.h"

#if defined(ORVEX_NEON)
#include "methods/bilinear/bilinear_row_body.h"

namespace orvex {
namespace {

// Lane operations of a sample width (bytes, or 16-bit samples in the same
// registers). Colour(even) is the lane mask of the colour sites' column parity.
template <size_t kE>
struct NeonOps {
    using V = uint8x16_t;
    static constexpr size_t kBytes = kE, kColumns = 16 / kE, kPixelBytes = 3;
    static V Load(const uint8_t* p) { return vld1q_u8(p); }
    static V Avg(V a, V b) {
        if (kE == 1) return vrhaddq_u8(a, b);
        return vreinterpretq_u8_u16(vrhaddq_u16(vreinterpretq_u16_u8(a), vreinterpretq_u16_u8(b)));
    }
    static V Mean4(V a, V b, V c, V d) {
        const V p = Avg(a, b), q = Avg(c, d);
        const V one = kE == 1 ? vdupq_n_u8(1) : vreinterpretq_u8_u16(vdupq_n_u16(1));
        const V odd =
            vandq_u8(vorrq_u8(veorq_u8(a, b), veorq_u8(c, d)), vandq_u8(veorq_u8(p, q), one));
        if (kE == 1) return vsubq_u8(Avg(p, q), odd);
        return vreinterpretq_u8_u16(
            vsubq_u16(vreinterpretq_u16_u8(Avg(p, q)), vreinterpretq_u16_u8(odd)));
    }
    static V Colour(bool even) {
        const V lowHalf = kE == 1 ? vreinterpretq_u8_u16(vdupq_n_u16(0x00FF))
                                  : vreinterpretq_u8_u32(vdupq_n_u32(0xFFFF));
        return even ? lowHalf : vmvnq_u8(lowHalf);
    }
    // b where the mask is set, else a.
    static V Pick(V a, V b, V mask) { return vbslq_u8(mask, b, a); }
    static void Store(uint8_t* out, V s0, V s1, V s2) {
        if (kE == 1) {
            simd::StoreTriple(out, s0, s1, s2);
        } else {
            const uint16x8x3_t pixels = {
                {vreinterpretq_u16_u8(s0), vreinterpretq_u16_u8(s1), vreinterpretq_u16_u8(s2)}};
            vst3q_u16(reinterpret_cast<uint16_t*>(out), pixels);
        }
    }
};

// Three channels of four-byte pixels; the row body keeps the last vector's
// pixels one short of the row's end, so the fourth byte after them is in it.
struct QuadStores {
    static constexpr size_t kPixelBytes = 4;
    static void Store(uint8_t* out, uint8x16_t s0, uint8x16_t s1, uint8x16_t s2) {
        simd::StoreQuad3(out, s0, s1, s2);
    }
};

// The same pixels whole, their fourth byte 0xff.
struct OpaqueStores {
    static constexpr size_t kPixelBytes = 4;
    static void Store(uint8_t* out, uint8x16_t s0, uint8x16_t s1, uint8x16_t s2) {
        vst4q_u8(out, uint8x16x4_t{{s0, s1, s2, vdupq_n_u8(0xFF)}});
    }
};

template <class O, class P, bool kRedRow, bool kEvenColour, bool kRedFirst>
size_t Row(ORVEX_BILINEAR_ROW_ARGS) {
    ORVEX_BILINEAR_ROW_BODY(O)
}

}  // namespace

extern const BilinearRowSet kBilinearRowsNeon = {
    ORVEX_BILINEAR_TABLE(NeonOps<1>, NeonOps<1>), ORVEX_BILINEAR_TABLE(NeonOps<2>, NeonOps<2>),
    ORVEX_BILINEAR_TABLE(NeonOps<1>, QuadStores), ORVEX_BILINEAR_TABLE(NeonOps<1>, OpaqueStores)};
}  // namespace orvex
#else
namespace orvex {
extern const BilinearRowSet kBilinearRowsNeon = {};
}  // namespace orvex
#endif
