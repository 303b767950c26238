// Sample access for 8- and 16-bit kernels. 16-bit samples are native-order
// and may sit at any byte address (caller buffers are not 2-byte aligned),
// so they are moved with memcpy, which compiles to plain loads and stores.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__GNUC__)
#define ORVEX_INLINE inline __attribute__((always_inline))
#else
#define ORVEX_INLINE inline
#endif

namespace orvex {

struct Sample8 {
    static constexpr size_t kBytes = 1;
    static uint32_t Load(const uint8_t* p, size_t i) { return p[i]; }
    static void Store(uint8_t* p, size_t i, uint32_t v) { p[i] = static_cast<uint8_t>(v); }
};

struct Sample16 {
    static constexpr size_t kBytes = 2;
    static uint32_t Load(const uint8_t* p, size_t i) {
        uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    }
    static void Store(uint8_t* p, size_t i, uint32_t v) {
        const uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(p + 2 * i, &s, 2);
    }
};

// Three channels that fill consecutive samples of a pixel: the pixel's first
// sample and which channel (0 R, 1 G, 2 B) sits in each of its samples.
struct PackedPixels {
    uint8_t* base;
    uint8_t lane[3];
};

inline PackedPixels PackedPixelsOf(uint8_t* r, uint8_t* g, uint8_t* b, size_t sampleBytes) {
    uint8_t* base = std::min({r, g, b});
    const size_t offsets[3] = {size_t(r - base), size_t(g - base), size_t(b - base)};
    PackedPixels p{base, {3, 3, 3}};
    for (uint8_t ch = 0; ch < 3; ++ch) {
        const size_t sample = offsets[ch] / sampleBytes;
        if (offsets[ch] % sampleBytes != 0 || sample > 2 || p.lane[sample] != 3) return {};
        p.lane[sample] = ch;
    }
    return p;
}

// Writes n pixels from per-channel values (0 R / top, 1 G, 2 B / bottom) as
// one stream of whole packed pixels starting at pixel `first`.
template <class S>
ORVEX_INLINE void StorePackedPixels(const PackedPixels& packed, size_t first, size_t n,
                                    const uint16_t* const values[3]) {
    const uint16_t* lane0 = values[packed.lane[0]];
    const uint16_t* lane1 = values[packed.lane[1]];
    const uint16_t* lane2 = values[packed.lane[2]];
    uint8_t* px = packed.base;
    for (size_t k = 0; k < n; ++k) {
        S::Store(px, 3 * (first + k), lane0[k]);
        S::Store(px, 3 * (first + k) + 1, lane1[k]);
        S::Store(px, 3 * (first + k) + 2, lane2[k]);
    }
}

}  // namespace orvex
