// Deterministic conversions through the second interface whose digests the
// 64-bit Windows build must reproduce byte for byte. Shared by the native
// generator of the expected table and by the Windows checker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "orvex2.h"

namespace orvex2cases {

struct Case {
    uint32_t method;  // 0: the zoom
    uint32_t srcFormat, dstFormat, pattern, bits, width, height;
    uint32_t x, y, regionWidth, regionHeight;  // the region (the whole frame: 0, 0, w, h)
    uint32_t threads;
    bool bottomUp;
};

inline uint64_t Fnv1a(const uint8_t* p, size_t n, uint64_t h = 14695981039346656037ull) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

template <class F>
void ForEachCase(F&& visit) {
    const uint32_t outputs[] = {ORVEX_RGB24,  ORVEX_BGR24, ORVEX_RGBA32,       ORVEX_BGRA32,
                                ORVEX_ARGB32, ORVEX_RGB48, ORVEX_PLANAR_RGB24, ORVEX_PLANAR_RGB48,
                                ORVEX_GRAY8,  ORVEX_GRAY16};
    for (uint32_t pattern = 0; pattern < 4; ++pattern)
        for (uint32_t method = 1; method <= 6; ++method)
            for (const uint32_t out : outputs)
                for (const bool wide : {false, true}) {
                    const uint32_t src = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8,
                                   bits = wide ? 12 : 0;
                    visit(Case{method, src, out, pattern, bits, 13, 9, 0, 0, 13, 9, 1, false});
                    visit(Case{method, src, out, pattern, bits, 13, 9, 3, 1, 7, 5, 3, true});
                }
    for (const uint32_t format : {ORVEX_MOSAIC8, ORVEX_MOSAIC16})
        visit(Case{0, format, format, ORVEX_GBRG, 0, 11, 7, 0, 0, 11, 14, 1, true});
    // Frames large enough to split into bands, so the worker threads run.
    for (uint32_t method = 1; method <= 6; ++method)
        visit(Case{method, ORVEX_MOSAIC8, ORVEX_RGB24, ORVEX_GRBG, 0, 1280, 960, 0, 0, 1280, 960, 3,
                   false});
}

// Bytes per pixel of a plane of a format.
inline size_t PlaneBytes(uint32_t format) {
    switch (format) {
        case ORVEX_MOSAIC8:
        case ORVEX_PLANAR_RGB24:
        case ORVEX_GRAY8:
            return 1;
        case ORVEX_MOSAIC16:
        case ORVEX_PLANAR_RGB48:
        case ORVEX_GRAY16:
            return 2;
        case ORVEX_RGB24:
        case ORVEX_BGR24:
            return 3;
        case ORVEX_RGB48:
            return 6;
        default:
            return 4;
    }
}

// Runs one case; the digest covers the status and every destination row.
inline uint64_t RunCase(const Case& c) {
    const size_t sampleBytes = c.srcFormat == ORVEX_MOSAIC16 ? 2 : 1;
    std::vector<uint8_t> mosaic(size_t(c.width) * c.height * sampleBytes);
    uint32_t r = 2463534242u ^ (c.method * 977u + c.dstFormat * 131u + c.pattern * 17u);
    for (size_t i = 0; i < mosaic.size(); i += sampleBytes) {
        r ^= r << 13, r ^= r >> 17, r ^= r << 5;
        const uint32_t v =
            sampleBytes == 2 ? (r & 0xFFFF) >> (16 - (c.bits ? c.bits : 16)) : r & 0xFF;
        mosaic[i] = uint8_t(v);
        if (sampleBytes == 2) mosaic[i + 1] = uint8_t(v >> 8);
    }
    const bool planar = c.dstFormat == ORVEX_PLANAR_RGB24 || c.dstFormat == ORVEX_PLANAR_RGB48;
    const size_t rowBytes = c.regionWidth * PlaneBytes(c.dstFormat), pitch = rowBytes + 5;
    const size_t planes = planar ? 3 : 1, planeBytes = pitch * c.regionHeight;
    std::vector<uint8_t> out(planes * planeBytes, 0xA5);

    orvex_image src{};
    src.data = mosaic.data();
    src.width = c.width;
    src.height = c.height;
    src.format = c.srcFormat;
    src.pattern = c.pattern;
    src.bits = c.bits;
    orvex_image dst{};
    dst.data = out.data() + (c.bottomUp ? (c.regionHeight - 1) * pitch : 0);
    dst.stride = c.bottomUp ? -ptrdiff_t(pitch) : ptrdiff_t(pitch);
    dst.plane_stride = ptrdiff_t(planeBytes);
    dst.width = c.regionWidth;
    dst.height = c.regionHeight;
    dst.format = c.dstFormat;
    dst.pattern = c.pattern;
    dst.bits = c.bits;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = c.threads;
    const int status = c.method == 0
                           ? orvex_zoom_vertical(&src, &dst, &options)
                           : orvex_demosaic_region(&src, c.x, c.y, &dst, c.method, &options);
    const int64_t s = status;
    return Fnv1a(out.data(), out.size(), Fnv1a(reinterpret_cast<const uint8_t*>(&s), sizeof s));
}

}  // namespace orvex2cases
