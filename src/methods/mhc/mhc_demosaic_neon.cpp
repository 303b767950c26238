// NEON build of the gradient-corrected rows: the pairs of a row in vector
// lanes, 16-bit lanes for 8-bit mosaics (eight pairs a step) and 32-bit lanes
// for wider ones (four). The rounding shift is the half-up division of the
// signed sum, shifts and adds build the kernels' weighted sums, and
// the interleaving stores put the colour and green sites of each pair back
// in column order. The last step ends at the row's last pair, overlapping
// the one before; a row shorter than one step runs the portable loop.
#include "methods/mhc/mhc_rows.h"
#include "simd/arm/neon.h"

#if defined(ORVEX_NEON)
namespace orvex {
namespace {

// Raw: the lanes of one load; Pair: the sum of two loads, Wide: one load,
// in the sums' lanes.
struct Lanes16 {
    using V = int16x8_t;
    using Raw = uint16x8_t;
    static constexpr size_t kPairs = 8;
    static Raw Load(const uint16_t* p) { return vld1q_u16(p); }
    static V Wide(Raw a) { return vreinterpretq_s16_u16(a); }
    static V Pair(Raw a, Raw b) { return vreinterpretq_s16_u16(vaddq_u16(a, b)); }
    static V Dup(int16_t v) { return vdupq_n_s16(v); }
    static V Add(V a, V b) { return vaddq_s16(a, b); }
    static V Sub(V a, V b) { return vsubq_s16(a, b); }
    template <int kShift>
    static V Shl(V a) {
        return vshlq_n_s16(a, kShift);
    }
    template <int kShift>
    static V Round(V a) {
        return vrshrq_n_s16(a, kShift);
    }
    static V Limit(V a, V maxValue) { return vminq_s16(vmaxq_s16(a, vdupq_n_s16(0)), maxValue); }
    static void Store(uint16_t* out, V first, V second) {
        vst2q_u16(out, uint16x8x2_t{{vreinterpretq_u16_s16(first), vreinterpretq_u16_s16(second)}});
    }
};

struct Lanes32 {
    using V = int32x4_t;
    using Raw = uint16x4_t;
    static constexpr size_t kPairs = 4;
    static Raw Load(const uint16_t* p) { return vld1_u16(p); }
    static V Wide(Raw a) { return vreinterpretq_s32_u32(vmovl_u16(a)); }
    static V Pair(Raw a, Raw b) { return vreinterpretq_s32_u32(vaddl_u16(a, b)); }
    static V Dup(int32_t v) { return vdupq_n_s32(v); }
    static V Add(V a, V b) { return vaddq_s32(a, b); }
    static V Sub(V a, V b) { return vsubq_s32(a, b); }
    template <int kShift>
    static V Shl(V a) {
        return vshlq_n_s32(a, kShift);
    }
    template <int kShift>
    static V Round(V a) {
        return vrshrq_n_s32(a, kShift);
    }
    static V Limit(V a, V maxValue) { return vminq_s32(vmaxq_s32(a, vdupq_n_s32(0)), maxValue); }
    // Values are 0 .. maxValue here, so the narrowing keeps them.
    static void Store(uint16_t* out, V first, V second) {
        vst2_u16(out, uint16x4x2_t{{vmovn_u32(vreinterpretq_u32_s32(first)),
                                    vmovn_u32(vreinterpretq_u32_s32(second))}});
    }
};

template <class L>
struct Sums {
    typename L::V c, h1, h2, v1, v2, d;
};

// The split rows' parity halves, rows -2 .. +2.
struct SplitRows {
    const uint16_t *e[5], *o[5];
};

// Pairs t .. t + kPairs - 1, as MhcPairs computes them. The kernels' weights
// are shifts and adds: 4 c + 2 (h1 + v1) - far = 2 (2 c + h1 + v1) - far,
// 12 c + 4 d - 3 far = 4 (3 c + d) - 3 far, and at green sites
// 10 c - 2 d + 8 h1 - 2 h2 + v2 = 2 (5 c - d + 4 h1 - h2) + v2 (h and v
// swapped for the other colour).
template <class L, bool kColourFirst>
inline void PairStep(const SplitRows& s, size_t t, typename L::V maxValue, uint16_t* own,
                     uint16_t* green, uint16_t* other) {
    using V = typename L::V;
    using R = typename L::Raw;
    auto at = [t](const uint16_t* row, size_t i) { return L::Load(row + t + i); };
    const R e2a = at(s.e[2], 0), e2b = at(s.e[2], 1), e2c = at(s.e[2], 2);
    const R o2a = at(s.o[2], 0), o2b = at(s.o[2], 1), o2c = at(s.o[2], 2);
    const R e1b = at(s.e[1], 1), e3b = at(s.e[3], 1), o1b = at(s.o[1], 1), o3b = at(s.o[3], 1);
    const Sums<L> first = {L::Wide(e2b),
                           L::Pair(o2a, o2b),
                           L::Pair(e2a, e2c),
                           L::Pair(e1b, e3b),
                           L::Pair(at(s.e[0], 1), at(s.e[4], 1)),
                           L::Add(L::Pair(at(s.o[1], 0), o1b), L::Pair(at(s.o[3], 0), o3b))};
    const Sums<L> second = {L::Wide(o2b),
                            L::Pair(e2b, e2c),
                            L::Pair(o2a, o2c),
                            L::Pair(o1b, o3b),
                            L::Pair(at(s.o[0], 1), at(s.o[4], 1)),
                            L::Add(L::Pair(e1b, at(s.e[1], 2)), L::Pair(e3b, at(s.e[3], 2)))};
    const Sums<L>& colour = kColourFirst ? first : second;
    const Sums<L>& g = kColourFirst ? second : first;
    const V far = L::Add(colour.h2, colour.v2), c2 = L::Add(colour.c, colour.c);
    const V greenAtColour = L::template Round<3>(
        L::Sub(L::template Shl<1>(L::Add(c2, L::Add(colour.h1, colour.v1))), far));
    const V otherAtColour = L::template Round<4>(L::Sub(
        L::template Shl<2>(L::Add(L::Add(c2, colour.c), colour.d)), L::Add(far, L::Add(far, far))));
    const V base = L::Sub(L::Add(L::template Shl<2>(g.c), g.c), g.d);
    const V ownAtGreen = L::template Round<4>(
        L::Add(L::template Shl<1>(L::Sub(L::Add(base, L::template Shl<2>(g.h1)), g.h2)), g.v2));
    const V otherAtGreen = L::template Round<4>(
        L::Add(L::template Shl<1>(L::Sub(L::Add(base, L::template Shl<2>(g.v1)), g.v2)), g.h2));
    const V greenColour = L::Limit(greenAtColour, maxValue);
    const V otherColour = L::Limit(otherAtColour, maxValue);
    const V ownGreen = L::Limit(ownAtGreen, maxValue),
            otherGreen = L::Limit(otherAtGreen, maxValue);
    if (kColourFirst) {
        L::Store(own + 2 * t, colour.c, ownGreen);
        L::Store(green + 2 * t, greenColour, g.c);
        L::Store(other + 2 * t, otherColour, otherGreen);
    } else {
        L::Store(own + 2 * t, ownGreen, colour.c);
        L::Store(green + 2 * t, g.c, greenColour);
        L::Store(other + 2 * t, otherGreen, otherColour);
    }
}

// The row pointers are copied, so the loop keeps them in registers.
struct NeonPairs {
    template <class A, bool kColourFirst>
    static void Run(const uint16_t* const* e, const uint16_t* const* o, size_t pairs, A maxValue,
                    uint16_t* own, uint16_t* green, uint16_t* other) {
        using L = std::conditional_t<sizeof(A) == 2, Lanes16, Lanes32>;
        if (pairs < L::kPairs) {
            MhcLoopPairs::Run<A, kColourFirst>(e, o, pairs, maxValue, own, green, other);
            return;
        }
        const SplitRows s = {{e[0], e[1], e[2], e[3], e[4]}, {o[0], o[1], o[2], o[3], o[4]}};
        const typename L::V limit = L::Dup(maxValue);
        for (size_t t = 0; t + L::kPairs <= pairs; t += L::kPairs)
            PairStep<L, kColourFirst>(s, t, limit, own, green, other);
        if (pairs % L::kPairs != 0)
            PairStep<L, kColourFirst>(s, pairs - L::kPairs, limit, own, green, other);
    }
};

}  // namespace

ORVEX_MHC_SET_OF(kMhcNeon, , NeonPairs)

}  // namespace orvex
#else
#include "methods/mhc/mhc_demosaic.h"

namespace orvex {
extern const MhcSet kMhcNeon = {};
}  // namespace orvex
#endif
