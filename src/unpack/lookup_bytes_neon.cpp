// Byte lookups of alternating columns through two 256-entry tables, 32
// samples at a time: a de-interleaving load parts the even columns from the
// odd, each part is looked up in its table's four 64-byte quarters (a
// lookup leaves lanes whose index is beyond its quarter unchanged), and an
// interleaving store puts the columns back in order.
#include "simd/arm/neon.h"
#include "unpack/lookup_bytes.h"

namespace orvex {

#if defined(ORVEX_NEON)
namespace {

struct Table {
    uint8x16x4_t quarter[4];
};

inline Table LoadTable(const uint8_t* t) {
    return {{vld1q_u8_x4(t), vld1q_u8_x4(t + 64), vld1q_u8_x4(t + 128), vld1q_u8_x4(t + 192)}};
}

inline uint8x16_t Lookup(const Table& t, uint8x16_t s) {
    const uint8x16_t quarter = vdupq_n_u8(64);
    uint8x16_t r = vqtbl4q_u8(t.quarter[0], s);
    s = vsubq_u8(s, quarter);
    r = vqtbx4q_u8(r, t.quarter[1], s);
    s = vsubq_u8(s, quarter);
    r = vqtbx4q_u8(r, t.quarter[2], s);
    s = vsubq_u8(s, quarter);
    return vqtbx4q_u8(r, t.quarter[3], s);
}

size_t LookupNeon(const uint8_t* even, const uint8_t* odd, const uint8_t* row, size_t n,
                  uint8_t* out) {
    const Table e = LoadTable(even), o = LoadTable(odd);
    size_t x = 0;
    for (; x + 32 <= n; x += 32) {
        const uint8x16x2_t s = vld2q_u8(row + x);
        vst2q_u8(out + x, uint8x16x2_t{{Lookup(e, s.val[0]), Lookup(o, s.val[1])}});
    }
    return x;
}

}  // namespace

extern const LookupBytesFn kLookupBytesNeon = LookupNeon;
#else
extern const LookupBytesFn kLookupBytesNeon = nullptr;
#endif

}  // namespace orvex
