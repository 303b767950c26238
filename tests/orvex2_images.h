// Guarded images of the second interface and the exports' results they are
// compared with, for its tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "orvex.h"
#include "orvex2.h"
#include "test_support.h"

namespace orvex2_test {

using namespace testsupport;

// The interface's outputs and the exports' codes for the same layout (0:
// none), with the facts a test needs.
struct Output {
    uint32_t format, exportFormat;
    size_t sampleBytes, samplesPerPixel;
    bool planar;
    int alpha;  // sample index of alpha, or -1
};

inline const Output kOutputs[] = {
    {ORVEX_RGB24, RGB24, 1, 3, false, -1},
    {ORVEX_BGR24, BGR24, 1, 3, false, -1},
    {ORVEX_RGBA32, 0, 1, 4, false, 3},
    {ORVEX_BGRA32, BGRA32, 1, 4, false, 3},
    {ORVEX_ARGB32, ARGB32, 1, 4, false, 0},
    {ORVEX_RGB48, RGB48, 2, 3, false, -1},
    {ORVEX_PLANAR_RGB24, PlanarRGB24, 1, 1, true, -1},
    {ORVEX_PLANAR_RGB48, PlanarRGB48, 2, 1, true, -1},
    {ORVEX_GRAY8, 0, 1, 1, false, -1},
    {ORVEX_GRAY16, 0, 2, 1, false, -1},
    {ORVEX_ABGR32, 0, 1, 4, false, 0},
    {ORVEX_RGBA64, 0, 2, 4, false, 3},
};

inline const uint32_t kMethods[] = {ORVEX_BILINEAR,    ORVEX_BLOCK, ORVEX_CUBIC_FLOAT,
                                    ORVEX_CUBIC_FIXED, ORVEX_MHC,   ORVEX_DLMMSE,
                                    ORVEX_RI};

// An image in a guarded buffer: `pad` bytes after each row, top-down or
// bottom-up, planes one row apart; canaries everywhere else.
class Image {
  public:
    Image(uint32_t format, size_t w, size_t h, size_t rowBytes, size_t planes, size_t pad,
          bool bottomUp, uint32_t pattern = 0, uint32_t bits = 0)
        : rowBytes_(rowBytes),
          pitch_(rowBytes + pad),
          planeBytes_(pitch_ * (h + 1)),
          planes_(planes),
          h_(h),
          buffer_(planeBytes_ * planes, pad % 2 == 1) {
        image_.stride = bottomUp ? -ptrdiff_t(pitch_) : ptrdiff_t(pitch_);
        image_.data = buffer_.data() + (bottomUp ? (h - 1) * pitch_ : 0);
        image_.plane_stride = planes > 1 ? ptrdiff_t(planeBytes_) : 0;
        image_.width = uint32_t(w);
        image_.height = uint32_t(h);
        image_.format = format;
        image_.pattern = pattern;
        image_.bits = bits;
    }
    uint8_t* Row(size_t plane, size_t y) {
        return static_cast<uint8_t*>(image_.data) + plane * planeBytes_ +
               ptrdiff_t(y) * image_.stride;
    }
    // The rows' bytes, plane after plane, without padding.
    std::vector<uint8_t> Contiguous() {
        std::vector<uint8_t> out;
        for (size_t p = 0; p < planes_; ++p)
            for (size_t y = 0; y < h_; ++y) out.insert(out.end(), Row(p, y), Row(p, y) + rowBytes_);
        return out;
    }
    void Fill(const std::vector<uint8_t>& contiguous) {
        size_t at = 0;
        for (size_t p = 0; p < planes_; ++p)
            for (size_t y = 0; y < h_; ++y, at += rowBytes_)
                std::copy_n(&contiguous[at], rowBytes_, Row(p, y));
    }
    // True when nothing outside the rows changed.
    bool OnlyRowsWritten() {
        std::vector<uint8_t> copy = buffer_.Payload();
        const auto* base = buffer_.data();
        for (size_t p = 0; p < planes_; ++p)
            for (size_t y = 0; y < h_; ++y)
                std::fill_n(copy.begin() + (Row(p, y) - base), rowBytes_, kCanary);
        return buffer_.GuardsIntact() &&
               std::all_of(copy.begin(), copy.end(), [](uint8_t b) { return b == kCanary; });
    }
    const orvex_image* get() const { return &image_; }
    orvex_image& image() { return image_; }

  private:
    size_t rowBytes_, pitch_, planeBytes_, planes_, h_;
    GuardedBuffer buffer_;
    orvex_image image_{};
};

inline Image MosaicImage(size_t w, size_t h, bool wide, uint32_t pattern, uint32_t bits, size_t pad,
                         bool bottomUp, uint32_t seed) {
    Image m(wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8, w, h, w * (wide ? 2 : 1), 1, pad, bottomUp,
            pattern, bits);
    std::vector<uint8_t> samples(w * h * (wide ? 2 : 1));
    FillRandom(samples.data(), samples.size(), seed);
    if (wide && bits != 0)
        for (size_t i = 0; i < w * h; ++i)
            Store16(samples.data(), i, Load16(samples.data(), i) >> (16 - bits));
    m.Fill(samples);
    return m;
}

inline Image OutputImage(const Output& o, size_t w, size_t h, size_t pad, bool bottomUp) {
    return Image(o.format, w, h, w * o.sampleBytes * o.samplesPerPixel, o.planar ? 3 : 1, pad,
                 bottomUp);
}

inline orvex_options Threads(uint32_t n) {
    orvex_options options;
    orvex_init_options(&options);
    options.threads = n;
    return options;
}

// The export's conversion of the same mosaic (rows contiguous), and which of its
// bytes the export writes: those that come out the same over two fills.
inline std::pair<std::vector<uint8_t>, std::vector<bool>> ExportResult(
    const std::vector<uint8_t>& mosaic, size_t w, size_t h, bool wide, uint32_t bits,
    uint32_t pattern, uint32_t method, uint32_t format) {
    std::vector<uint8_t> runs[2];
    for (int fill = 0; fill < 2; ++fill) {
        runs[fill].assign(Orvex_CalcImageSize(format, uint32_t(w), uint32_t(h)),
                          uint8_t(fill * 0xFF));
        std::vector<uint8_t> in = mosaic;
        ImageDesc s = MakeDesc(in.data(), wide ? Bayer16 : Bayer8, uint32_t(w), uint32_t(h),
                               uint16_t(wide ? bits : 8), pattern);
        ImageDesc d = MakeDesc(runs[fill].data(), format, 0, 0, 0, 0);
        EXPECT_EQ(Orvex_BayerToRgb(method, &s, &d), 0);
    }
    std::vector<bool> written(runs[0].size());
    for (size_t i = 0; i < written.size(); ++i) written[i] = runs[0][i] == runs[1][i];
    return {runs[0], written};
}

}  // namespace orvex2_test
