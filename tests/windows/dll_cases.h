// Deterministic conversions whose output digests the 32-bit Windows DLL must
// reproduce byte for byte. Shared by the native generator of the expected
// table and by the Windows checker, which calls through the DLL's exports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "orvex.h"

namespace dllcases {

struct Api {
    int32_t(ORVEX_CALL* bayerToRgb)(uint32_t, const ImageDesc*, ImageDesc*);
    int32_t(ORVEX_CALL* zoomVert)(uint32_t, const ImageDesc*, const ImageDesc*);
    uint32_t(ORVEX_CALL* calcImageSize)(uint32_t, uint32_t, uint32_t);
};

struct Case {
    bool zoom;
    uint32_t code;  // method, or zoom mode
    uint32_t srcFormat, dstFormat, pattern, width, height;
    uint16_t bitDepth;
};

inline uint64_t Fnv1a(const uint8_t* p, size_t n, uint64_t h = 14695981039346656037ull) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

template <class F>
void ForEachCase(F&& visit) {
    const uint32_t sizes[2][2] = {{13, 9}, {8, 6}};
    for (const auto& s : sizes) {
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            for (uint32_t method = 1; method <= 4; ++method) {
                for (uint32_t format = PlanarRGB24; format <= RGB24; ++format) {
                    const bool wide = format == RGB48 || format == PlanarRGB48;
                    visit(Case{false, method, wide ? Bayer16 : Bayer8, format, pattern, s[0], s[1],
                               uint16_t(wide ? 12 : 8)});
                    // Cubic from a 12-bit mosaic into an 8-bit layout: the limit at 4095.
                    if (method >= 3 && !wide)
                        visit(Case{false, method, Bayer16, format, pattern, s[0], s[1], 12});
                }
            }
            for (uint32_t format : {Bayer8, Bayer16})
                visit(Case{true, 2, format, format, pattern, s[0], s[1] / 2 + 2, 8});
        }
    }
}

// Runs one case through the API; the digest covers the result, the
// destination descriptor's size and every destination byte.
inline uint64_t RunCase(const Api& api, const Case& c) {
    const size_t sampleBytes = c.srcFormat == Bayer16 ? 2 : 1;
    std::vector<uint8_t> mosaic(size_t(c.width) * c.height * sampleBytes);
    uint32_t x = 2463534242u ^ (c.code * 977u + c.dstFormat * 131u + c.pattern * 17u + c.width);
    for (uint8_t& b : mosaic) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    if (c.bitDepth == 12 && sampleBytes == 2)
        for (size_t i = 1; i < mosaic.size(); i += 2) mosaic[i] &= 0x0F;

    ImageDesc src, dst;
    std::memset(&src, 0, sizeof src);
    std::memset(&dst, 0, sizeof dst);
    src.data = mosaic.data();
    src.format = c.srcFormat;
    src.width = c.width;
    src.height = c.height;
    src.bitDepth = c.bitDepth;
    src.bayerPattern = c.pattern;
    const size_t bytes = c.zoom ? size_t(c.width) * c.height * 2 * sampleBytes
                                : api.calcImageSize(c.dstFormat, c.width, c.height);
    std::vector<uint8_t> out(bytes, 0xA5);
    dst.data = out.data();
    dst.format = c.dstFormat;
    int32_t result;
    if (c.zoom) {
        dst.width = c.width;
        dst.height = 2 * c.height;
        result = api.zoomVert(c.code, &src, &dst);
    } else {
        result = api.bayerToRgb(c.code, &src, &dst);
    }
    const uint32_t tail[2] = {uint32_t(result), dst.size};
    return Fnv1a(out.data(), out.size(),
                 Fnv1a(reinterpret_cast<const uint8_t*>(tail), sizeof tail));
}

}  // namespace dllcases
