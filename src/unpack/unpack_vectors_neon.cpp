// NEON kernels of the row unpackers: MIPI RAW12 by de-interleaving loads of
// its three-byte groups, RAW10 by a table lookup of its five-byte groups;
// both widen into 16-bit lanes with the packings' shifts.
#include "simd/arm/neon.h"
#include "unpack/unpack_rows.h"

#if defined(ORVEX_NEON)
namespace orvex {
namespace {

// Samples 2m and 2m + 1 of a RAW12 group from its bytes: high bytes up by
// four, the shared byte's low nibble to the first and its high one to the
// second.
inline uint16x8x2_t Raw12Pairs(uint8x8_t first, uint8x8_t second, uint8x8_t low) {
    return {{vaddw_u8(vshll_n_u8(first, 4), vand_u8(low, vdup_n_u8(0x0F))),
             vaddw_u8(vshll_n_u8(second, 4), vshr_n_u8(low, 4))}};
}

// 32 samples from 48 bytes, then 16 from 24: the loads read exactly the
// groups of the samples they write.
size_t Mipi12(const uint8_t* row, size_t k, size_t width, uint16_t* out) {
    for (; k + 32 <= width; k += 32) {
        const uint8x16x3_t b = vld3q_u8(row + k / 2 * 3);
        vst2q_u16(out + k,
                  Raw12Pairs(vget_low_u8(b.val[0]), vget_low_u8(b.val[1]), vget_low_u8(b.val[2])));
        vst2q_u16(out + k + 16, Raw12Pairs(vget_high_u8(b.val[0]), vget_high_u8(b.val[1]),
                                           vget_high_u8(b.val[2])));
    }
    for (; k + 16 <= width; k += 16) {
        const uint8x8x3_t b = vld3_u8(row + k / 2 * 3);
        vst2q_u16(out + k, Raw12Pairs(b.val[0], b.val[1], b.val[2]));
    }
    return k;
}

// 16 samples from 20 bytes, loaded as bytes 0-15 and 4-19 of the four
// groups: table entries 16 + j are byte 4 + j. Sample 4g + i takes byte
// 5g + i as its high bits and bits 2i, 2i + 1 of byte 5g + 4 as its low.
size_t Mipi10(const uint8_t* row, size_t k, size_t width, uint16_t* out) {
    static const uint8_t kHighs[16] = {0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13, 15, 28, 29, 30};
    static const uint8_t kLows[16] = {4, 4, 4, 4, 9, 9, 9, 9, 14, 14, 14, 14, 31, 31, 31, 31};
    static const int8_t kShifts[16] = {0, -2, -4, -6, 0, -2, -4, -6, 0, -2, -4, -6, 0, -2, -4, -6};
    const uint8x16_t highs = vld1q_u8(kHighs), lows = vld1q_u8(kLows);
    const int8x16_t shifts = vld1q_s8(kShifts);
    const uint8x16_t two = vdupq_n_u8(3);
    for (; k + 16 <= width; k += 16) {
        const uint8_t* p = row + k / 4 * 5;
        const uint8x16x2_t bytes = {{vld1q_u8(p), vld1q_u8(p + 4)}};
        const uint8x16_t high = vqtbl2q_u8(bytes, highs);
        const uint8x16_t low = vandq_u8(vshlq_u8(vqtbl2q_u8(bytes, lows), shifts), two);
        vst1q_u16(out + k, vaddw_u8(vshll_n_u8(vget_low_u8(high), 2), vget_low_u8(low)));
        vst1q_u16(out + k + 8, vaddw_high_u8(vshll_high_n_u8(high, 2), low));
    }
    return k;
}

}  // namespace

extern const UnpackVectorSet kUnpackVectorsNeon = {Mipi10, Mipi12};

}  // namespace orvex
#else
namespace orvex {
extern const UnpackVectorSet kUnpackVectorsNeon = {};
}  // namespace orvex
#endif
