// Shared ground of the AArch64 kernel files (`*_neon.cpp`); nothing else
// includes it. Advanced SIMD is part of the AArch64 baseline, so the files
// need no flag and no function target.
#pragma once

#if defined(__aarch64__) && defined(__ARM_NEON)
#define ORVEX_NEON 1
#include <arm_neon.h>

#include <cstdint>

namespace orvex::simd {

// Three channels into the first three bytes of 16 four-byte pixels. The
// interleaving store writes all four, so the fourth bytes are loaded first
// and written back unchanged: the row keeps them, as the portable loop does.
inline void StoreQuad3(uint8_t* out, uint8x16_t c0, uint8x16_t c1, uint8x16_t c2) {
    uint8x16x4_t pixels = vld4q_u8(out);
    pixels.val[0] = c0;
    pixels.val[1] = c1;
    pixels.val[2] = c2;
    vst4q_u8(out, pixels);
}

inline void StoreTriple(uint8_t* out, uint8x16_t c0, uint8x16_t c1, uint8x16_t c2) {
    vst3q_u8(out, uint8x16x3_t{{c0, c1, c2}});
}

}  // namespace orvex::simd
#endif
