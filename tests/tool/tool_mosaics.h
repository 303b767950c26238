// Mosaics for the tool tests and the second interface's conversion of them,
// the results the tool's outputs are compared with.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "image_io.h"
#include "orvex2.h"

namespace orvex_test {

using orvex_tool::Raster;

inline Raster RandomMosaic(uint32_t w, uint32_t h, uint32_t depth, uint32_t seed) {
    std::mt19937 rng(seed);
    Raster r;
    r.width = w;
    r.height = h;
    r.bitDepth = depth;
    r.samples.resize(size_t(w) * h);
    for (auto& v : r.samples) v = static_cast<uint16_t>(rng() & ((1u << depth) - 1));
    return r;
}

inline std::vector<uint8_t> RawBytes(const Raster& m) {
    std::vector<uint8_t> b;
    for (uint16_t v : m.samples) {
        b.push_back(static_cast<uint8_t>(v));
        if (m.Wide()) b.push_back(static_cast<uint8_t>(v >> 8));
    }
    return b;
}

// The second interface's conversion, which the tool passes on.
inline std::vector<uint8_t> Direct(const Raster& m, uint32_t method, uint32_t format,
                                   uint32_t pattern = ORVEX_RGGB) {
    std::vector<uint8_t> src = RawBytes(m);
    orvex_image s{}, d{};
    s.data = src.data();
    s.format = m.Wide() ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    s.width = m.width;
    s.height = m.height;
    s.pattern = pattern;
    s.bits = m.Wide() ? m.bitDepth : 8;
    std::vector<uint8_t> dst(orvex_image_bytes(format, m.width, m.height));
    d.data = dst.data();
    d.format = format;
    d.width = m.width;
    d.height = m.height;
    EXPECT_EQ(orvex_demosaic(&s, &d, method, nullptr), ORVEX_OK);
    return dst;
}

inline std::vector<uint16_t> SamplesOf(const std::vector<uint8_t>& bytes, bool wide) {
    std::vector<uint16_t> v;
    for (size_t i = 0; i < bytes.size(); i += wide ? 2 : 1)
        v.push_back(wide ? uint16_t(bytes[i] | bytes[i + 1] << 8) : bytes[i]);
    return v;
}

// The tool's documented scaling of `from`-bit data into `to`-bit samples:
// v * (2^to - 1) / (2^from - 1), rounded.
inline std::vector<uint16_t> Scaled(std::vector<uint16_t> v, uint32_t from, uint32_t to) {
    const double ratio = double((1u << to) - 1) / double((1u << from) - 1);
    for (uint16_t& x : v) x = static_cast<uint16_t>(std::lround(x * ratio));
    return v;
}

}  // namespace orvex_test
