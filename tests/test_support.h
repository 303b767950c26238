// Helpers shared by the tests: random mosaics, guarded buffers and an
// independent statement of the colour layouts.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/image_view.h"
#include "orvex.h"
#include "orvex2.h"
#include "simd/simd.h"

namespace orvex {

// Test messages and names: "scalar", or the features joined by '+'.
inline std::string SimdName(SimdFeatures features) {
    static const char* const kNames[] = {"sse2", "ssse3", "avx2", "avx512", "vbmi", "neon"};
    std::string name;
    for (size_t f = 0; f < std::size(kNames); ++f)
        if (features.Has(static_cast<Isa>(f)))
            name += (name.empty() ? "" : "+") + std::string(kNames[f]);
    return name.empty() ? "scalar" : name;
}

inline std::ostream& operator<<(std::ostream& out, SimdFeatures features) {
    return out << SimdName(features);
}

}  // namespace orvex

namespace testsupport {

inline constexpr uint8_t kCanary = 0xA5;

// Every kernel width, from the plain loops up: the features each ORVEX_SIMD
// cap allows that this process runs (the processor lacks the others, or the
// cap of the run takes them), each set once, so no test executes
// instructions the processor lacks.
inline const std::vector<orvex::SimdFeatures> kSimdLevels = [] {
    std::vector<orvex::SimdFeatures> levels;
    for (const orvex::SimdCap& cap : orvex::kSimdCaps) {
        const orvex::SimdFeatures runs = cap.allows & orvex::ProcessSimd();
        if (levels.empty() || levels.back() != runs) levels.push_back(runs);
    }
    return levels;
}();

// A byte buffer with guard bytes on both sides. The payload may start at an
// odd address, to exercise 16-bit access at any alignment.
class GuardedBuffer {
  public:
    static constexpr size_t kGuard = 64;

    GuardedBuffer(size_t size, bool oddAddress = false, uint8_t fill = kCanary)
        : offset_(kGuard + (oddAddress ? 1 : 0)),
          size_(size),
          bytes_(size + 2 * kGuard + 1, fill) {}

    uint8_t* data() { return bytes_.data() + offset_; }
    const uint8_t* data() const { return bytes_.data() + offset_; }
    size_t size() const { return size_; }
    std::vector<uint8_t> Payload() const { return {data(), data() + size_}; }

    bool GuardsIntact(uint8_t fill = kCanary) const {
        for (size_t i = 0; i < offset_; ++i)
            if (bytes_[i] != fill) return false;
        for (size_t i = offset_ + size_; i < bytes_.size(); ++i)
            if (bytes_[i] != fill) return false;
        return true;
    }

  private:
    size_t offset_;
    size_t size_;
    std::vector<uint8_t> bytes_;
};

inline void FillRandom(uint8_t* p, size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(rng());
}

// A second-interface image of w x h over `data`, rows contiguous.
inline orvex_image ImageOf(void* data, uint32_t format, size_t w, size_t h, uint32_t pattern = 0,
                           uint32_t bits = 0) {
    orvex_image im{};
    im.data = data;
    im.width = uint32_t(w);
    im.height = uint32_t(h);
    im.format = format;
    im.pattern = pattern;
    im.bits = bits;
    return im;
}

inline uint32_t Load16(const uint8_t* p, size_t i) {
    return p[2 * i] | (p[2 * i + 1] << 8);
}
inline void Store16(uint8_t* p, size_t i, uint32_t v) {
    p[2 * i] = static_cast<uint8_t>(v);
    p[2 * i + 1] = static_cast<uint8_t>(v >> 8);
}

// A mosaic of w x h samples of 1 or 2 bytes.
struct Mosaic {
    size_t w, h, bytes;
    const uint8_t* data;
    uint32_t At(size_t row, size_t col) const {
        const size_t i = row * w + col;
        return bytes == 2 ? Load16(data, i) : data[i];
    }
};

// 'R', 'G' or 'B' at a mosaic site.
inline char SiteColour(uint32_t pattern, size_t row, size_t col) {
    static const char* const kCells[4] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    return kCells[pattern][(row & 1) * 2 + (col & 1)];
}

struct LayoutRef {
    uint32_t format;
    const char* name;
    size_t sampleBytes;
    size_t samplesPerPixel;
    bool planar;
    int r, g, b, alpha;  // sample index within a pixel, or plane index; alpha -1 if none
};

inline const std::vector<LayoutRef>& ColourLayouts() {
    static const std::vector<LayoutRef> layouts = {
        {PlanarRGB24, "PlanarRGB24", 1, 3, true, 0, 1, 2, -1},
        {PlanarRGB48, "PlanarRGB48", 2, 3, true, 0, 1, 2, -1},
        {BGR24, "BGR24", 1, 3, false, 2, 1, 0, -1},
        {ARGB32, "ARGB32", 1, 4, false, 1, 2, 3, 0},
        {RGB48, "RGB48", 2, 3, false, 0, 1, 2, -1},
        {BGRA32, "BGRA32", 1, 4, false, 2, 1, 0, 3},
        {RGB24, "RGB24", 1, 3, false, 0, 1, 2, -1},
    };
    return layouts;
}

inline size_t SampleIndex(const LayoutRef& l, size_t w, size_t h, size_t x, size_t y, int ch) {
    const size_t pixel = y * w + x;
    return l.planar ? size_t(ch) * w * h + pixel : pixel * l.samplesPerPixel + size_t(ch);
}

inline void PutSample(uint8_t* buf, const LayoutRef& l, size_t index, uint32_t v) {
    if (l.sampleBytes == 2)
        Store16(buf, index, v);
    else
        buf[index] = static_cast<uint8_t>(v);
}

inline void PutPixel(uint8_t* buf, const LayoutRef& l, size_t w, size_t h, size_t x, size_t y,
                     uint32_t r, uint32_t g, uint32_t b) {
    PutSample(buf, l, SampleIndex(l, w, h, x, y, l.r), r);
    PutSample(buf, l, SampleIndex(l, w, h, x, y, l.g), g);
    PutSample(buf, l, SampleIndex(l, w, h, x, y, l.b), b);
}

inline ImageDesc MakeDesc(void* data, uint32_t format, uint32_t w, uint32_t h, uint16_t depth,
                          uint32_t pattern) {
    ImageDesc d;
    std::memset(&d, 0, sizeof d);
    d.data = data;
    d.format = format;
    d.width = w;
    d.height = h;
    d.bitDepth = depth;
    d.bayerPattern = pattern;
    return d;
}

inline const char* PatternName(uint32_t pattern) {
    static const char* const kNames[4] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    return pattern < 4 ? kNames[pattern] : "other";
}

// Test-name generator for suites parameterised by layout and pattern.
using LayoutPattern = std::tuple<LayoutRef, uint32_t>;
inline std::string LayoutPatternName(const testing::TestParamInfo<LayoutPattern>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + PatternName(std::get<1>(info.param));
}

using Reference = std::vector<uint8_t> (*)(const Mosaic&, uint32_t pattern, const LayoutRef&,
                                           std::vector<uint8_t> canvas);

// Converts random mosaics of each size, at even and odd addresses, and
// compares the whole destination (canary-filled) with the reference.
// The contiguous source and destination of the descriptors as views: a mosaic
// as wide as the layout's samples, planes width x height apart.
inline std::pair<orvex::SourceView, orvex::ImageView> ContiguousViews(const ImageDesc& src,
                                                                      const ImageDesc& dst,
                                                                      const LayoutRef& layout) {
    const size_t w = src.width, h = src.height, bytes = layout.sampleBytes;
    const size_t rowBytes = w * bytes * (layout.planar ? 1 : layout.samplesPerPixel);
    return {
        {static_cast<const uint8_t*>(src.data), ptrdiff_t(w * bytes), 0, uint32_t(w), uint32_t(h),
         bytes == 2 ? orvex::kFormatMosaic16 : orvex::kFormatMosaic8, src.bayerPattern},
        {static_cast<uint8_t*>(dst.data), ptrdiff_t(rowBytes), ptrdiff_t(rowBytes * h), uint32_t(w),
         uint32_t(h), layout.format, src.bayerPattern}};
}

// The method's output against the reference; run converts (by default
// through the export).
template <class Run>
void CheckAgainstReference(uint32_t method, const LayoutRef& layout, uint32_t pattern,
                           const std::vector<std::pair<size_t, size_t>>& sizes, Reference reference,
                           uint32_t seed, Run run) {
    for (const auto& [w, h] : sizes) {
        for (bool odd : {false, true}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << (odd ? " odd address" : ""));
            GuardedBuffer mosaic(w * h * layout.sampleBytes, odd);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            const uint32_t dstSize = Orvex_CalcImageSize(layout.format, w, h);
            GuardedBuffer out(dstSize, odd);
            ImageDesc src = MakeDesc(mosaic.data(), Bayer8, w, h, 8, pattern);
            ImageDesc dst = MakeDesc(out.data(), layout.format, 0, 0, 0, 0);
            run(method, src, dst);

            const Mosaic m{w, h, layout.sampleBytes, mosaic.data()};
            ASSERT_EQ(out.Payload(),
                      reference(m, pattern, layout, std::vector<uint8_t>(dstSize, kCanary)));
            ASSERT_TRUE(out.GuardsIntact());
            ASSERT_TRUE(mosaic.GuardsIntact());
        }
    }
}

inline void CheckAgainstReference(uint32_t method, const LayoutRef& layout, uint32_t pattern,
                                  const std::vector<std::pair<size_t, size_t>>& sizes,
                                  Reference reference, uint32_t seed) {
    CheckAgainstReference(method, layout, pattern, sizes, reference, seed,
                          [](uint32_t m, const ImageDesc& s, ImageDesc& d) {
                              EXPECT_EQ(Orvex_BayerToRgb(m, &s, &d), 0);
                          });
}

}  // namespace testsupport
