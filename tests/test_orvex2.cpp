// The second interface: the exports' bytes where both convert, reflection
// at the edges, regions, threads, strided views and every error path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "orvex2.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// The interface's outputs and the exports' codes for the same layout (0:
// none), with the facts a test needs.
struct Output {
    uint32_t format, exportFormat;
    size_t sampleBytes, samplesPerPixel;
    bool planar;
    int alpha;  // sample index of alpha, or -1
};

const Output kOutputs[] = {
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

const uint32_t kMethods[] = {ORVEX_BILINEAR, ORVEX_BLOCK,  ORVEX_CUBIC_FLOAT, ORVEX_CUBIC_FIXED,
                             ORVEX_MHC,      ORVEX_DLMMSE, ORVEX_RI};

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
    std::vector<uint8_t> Packed() {
        std::vector<uint8_t> out;
        for (size_t p = 0; p < planes_; ++p)
            for (size_t y = 0; y < h_; ++y) out.insert(out.end(), Row(p, y), Row(p, y) + rowBytes_);
        return out;
    }
    void Fill(const std::vector<uint8_t>& packed) {
        size_t at = 0;
        for (size_t p = 0; p < planes_; ++p)
            for (size_t y = 0; y < h_; ++y, at += rowBytes_)
                std::copy_n(&packed[at], rowBytes_, Row(p, y));
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

Image MosaicImage(size_t w, size_t h, bool wide, uint32_t pattern, uint32_t bits, size_t pad,
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

Image OutputImage(const Output& o, size_t w, size_t h, size_t pad, bool bottomUp) {
    return Image(o.format, w, h, w * o.sampleBytes * o.samplesPerPixel, o.planar ? 3 : 1, pad,
                 bottomUp);
}

orvex_options Threads(uint32_t n) {
    orvex_options options;
    orvex_init_options(&options);
    options.threads = n;
    return options;
}

// The export's conversion of the same mosaic (packed), and which of its
// bytes the export writes: those that come out the same over two fills.
std::pair<std::vector<uint8_t>, std::vector<bool>> ExportResult(const std::vector<uint8_t>& mosaic,
                                                                size_t w, size_t h, bool wide,
                                                                uint32_t bits, uint32_t pattern,
                                                                uint32_t method, uint32_t format) {
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

// Where source and output sample widths match, every method gives the
// export's bytes on every byte the export writes.
TEST(Orvex2, GivesTheExportsBytesWhereBothConvert) {
    uint32_t seed = 3;
    for (const uint32_t method : kMethods)
        for (const Output& o : kOutputs) {
            if (o.exportFormat == 0 || method > ORVEX_CUBIC_FIXED)
                continue;  // no export to compare
            const bool cubic = method == ORVEX_CUBIC_FLOAT || method == ORVEX_CUBIC_FIXED;
            if (cubic && o.planar) continue;  // the cubic exports have no planes
            for (const auto& [w, h] : {std::pair<size_t, size_t>{2, 2}, {7, 5}, {40, 9}, {65, 6}})
                for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                    SCOPED_TRACE(testing::Message()
                                 << "method " << method << " format " << o.format << " " << w << "x"
                                 << h << " pattern " << pattern);
                    const bool wide = o.sampleBytes == 2;
                    const uint32_t bits = wide ? 12 : 0;
                    Image mosaic = MosaicImage(w, h, wide, pattern, bits, 0, false, seed++);
                    Image out = OutputImage(o, w, h, 0, false);
                    const orvex_options one = Threads(1);
                    ASSERT_EQ(orvex_demosaic(mosaic.get(), out.get(), method, &one), ORVEX_OK);
                    const auto [want, written] =
                        ExportResult(mosaic.Packed(), w, h, wide, bits ? bits : 8, pattern, method,
                                     o.exportFormat);
                    const std::vector<uint8_t> got = out.Packed();
                    ASSERT_EQ(got.size(), want.size());
                    for (size_t i = 0; i < got.size(); ++i)
                        if (written[i]) {
                            ASSERT_EQ(got[i], want[i]) << "byte " << i;
                        }
                }
        }
}

// The bilinear edges: the whole result equals the export's interior of the
// mosaic padded by one reflected sample on every side.
TEST(Orvex2, BilinearEdgesReadByReflection) {
    for (const auto& [w, h] : {std::pair<size_t, size_t>{2, 2}, {3, 2}, {5, 4}, {33, 7}})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            Image mosaic = MosaicImage(w, h, false, pattern, 0, 0, false, 11);
            const std::vector<uint8_t> m = mosaic.Packed();
            const size_t pw = w + 2, ph = h + 2;
            auto reflect = [](ptrdiff_t i, size_t n) {
                return size_t(i < 0 ? -i : i >= ptrdiff_t(n) ? 2 * ptrdiff_t(n) - 2 - i : i);
            };
            std::vector<uint8_t> padded(pw * ph);
            for (size_t y = 0; y < ph; ++y)
                for (size_t x = 0; x < pw; ++x)
                    padded[y * pw + x] =
                        m[reflect(ptrdiff_t(y) - 1, h) * w + reflect(ptrdiff_t(x) - 1, w)];
            std::vector<uint8_t> wide(pw * ph * 3);
            // The padded mosaic's top-left cell is the original's shifted by one each way.
            ImageDesc s =
                MakeDesc(padded.data(), Bayer8, uint32_t(pw), uint32_t(ph), 8, pattern ^ 3);
            ImageDesc d = MakeDesc(wide.data(), RGB24, 0, 0, 0, 0);
            ASSERT_EQ(Orvex_BayerToRgb(MethodBilinear, &s, &d), 0);
            Image out = OutputImage(kOutputs[0], w, h, 0, false);
            ASSERT_EQ(orvex_demosaic(mosaic.get(), out.get(), ORVEX_BILINEAR, nullptr), ORVEX_OK);
            const std::vector<uint8_t> got = out.Packed();
            for (size_t y = 0; y < h; ++y)
                ASSERT_TRUE(std::equal(&got[y * w * 3], &got[(y + 1) * w * 3],
                                       &wide[((y + 1) * pw + 1) * 3]))
                    << w << "x" << h << " pattern " << pattern << " row " << y;
        }
}

// Tiles of random odd sizes and offsets, through padded and bottom-up
// views, assemble into the whole conversion; threads give the same bytes.
TEST(Orvex2, TilesAndThreadsGiveTheWholeConversion) {
    std::mt19937 rng(5);
    for (const uint32_t method : kMethods)
        for (const Output& o : kOutputs) {
            const size_t w = 90 + rng() % 7, h = 60 + rng() % 7;
            const bool wide = rng() % 2 == 1;
            const uint32_t pattern = rng() % 4, bits = wide ? 10 + rng() % 7 : 0;
            SCOPED_TRACE(testing::Message() << "method " << method << " format " << o.format << " "
                                            << w << "x" << h << " bits " << bits);
            Image mosaic = MosaicImage(w, h, wide, pattern, bits, rng() % 64, rng() % 2, rng());
            Image whole = OutputImage(o, w, h, 0, false);
            ASSERT_EQ(orvex_demosaic(mosaic.get(), whole.get(), method, nullptr), ORVEX_OK);
            const std::vector<uint8_t> want = whole.Packed();
            for (const uint32_t threads : {1u, 2u, 3u, 8u}) {
                Image again = OutputImage(o, w, h, rng() % 64, rng() % 2);
                const orvex_options options = Threads(threads);
                ASSERT_EQ(orvex_demosaic(mosaic.get(), again.get(), method, &options), ORVEX_OK);
                ASSERT_EQ(again.Packed(), want) << threads << " threads";
                ASSERT_TRUE(again.OnlyRowsWritten());
            }
            // Columns and rows cut at random, odd places included.
            const size_t rowBytes = want.size() / h / (o.planar ? 3 : 1);
            const size_t pixelBytes = rowBytes / w;
            for (size_t y0 = 0; y0 < h;) {
                const size_t th = std::min<size_t>(h - y0, 1 + rng() % 23);
                for (size_t x0 = 0; x0 < w;) {
                    const size_t tw = std::min<size_t>(w - x0, 1 + rng() % 37);
                    Image tile = OutputImage(o, tw, th, rng() % 8, rng() % 2);
                    ASSERT_EQ(orvex_demosaic_region(mosaic.get(), uint32_t(x0), uint32_t(y0),
                                                    tile.get(), method, nullptr),
                              ORVEX_OK);
                    const std::vector<uint8_t> got = tile.Packed();
                    for (size_t p = 0; p < (o.planar ? 3u : 1u); ++p)
                        for (size_t y = 0; y < th; ++y)
                            ASSERT_TRUE(
                                std::equal(&got[(p * th + y) * tw * pixelBytes],
                                           &got[(p * th + y + 1) * tw * pixelBytes],
                                           &want[(p * h + y0 + y) * rowBytes + x0 * pixelBytes]))
                                << "tile at " << x0 << "," << y0 << " size " << tw << "x" << th;
                    ASSERT_TRUE(tile.OnlyRowsWritten());
                    x0 += tw;
                }
                y0 += th;
            }
        }
}

// Frames large enough to be split into bands give the same bytes for every
// thread count, through bottom-up padded views.
TEST(Orvex2, BandsOfLargeFramesGiveTheSameBytes) {
    for (const uint32_t method : kMethods) {
        const bool cubic = method == ORVEX_CUBIC_FLOAT || method == ORVEX_CUBIC_FIXED;
        // About three bands' worth of pixels.
        const size_t w = cubic ? 641 : 1601, h = cubic ? 640 : 1024;
        for (const Output& o : {kOutputs[1], kOutputs[7]}) {
            const bool wide = o.sampleBytes == 2;
            Image mosaic = MosaicImage(w, h, wide, ORVEX_BGGR, wide ? 12 : 0, 3, false, 8);
            Image one = OutputImage(o, w, h, 0, false);
            const orvex_options single = Threads(1);
            ASSERT_EQ(orvex_demosaic(mosaic.get(), one.get(), method, &single), ORVEX_OK);
            const std::vector<uint8_t> want = one.Packed();
            for (const uint32_t threads : {0u, 2u, 3u, 8u}) {
                Image many = OutputImage(o, w, h, 7, true);
                const orvex_options options = Threads(threads);
                ASSERT_EQ(orvex_demosaic(mosaic.get(), many.get(), method, &options), ORVEX_OK);
                ASSERT_TRUE(many.Packed() == want) << "method " << method << " threads " << threads;
                ASSERT_TRUE(many.OnlyRowsWritten());
            }
        }
    }
}

// Calls from several threads at once, each splitting its frame, share the
// workers and each get their own bytes.
// Gradient-corrected and edge-directed methods are exact on linear colour
// ramps (their corrections vanish there), steep in both directions, for
// every pattern; only the frame's reflected edges differ.
TEST(Orvex2, QualityMethodsReproduceLinearRamps) {
    const size_t w = 41, h = 40, frame = 12;
    auto truth = [](size_t x, size_t y, size_t c) {
        const int v[3] = {int(10 + 2 * x + y), int(60 + x + 2 * y), int(250 - 2 * x - 2 * y)};
        return v[c];
    };
    for (const uint32_t method : {ORVEX_MHC, ORVEX_DLMMSE})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            Image mosaic(ORVEX_MOSAIC8, w, h, w, 1, 0, false, pattern);
            std::vector<uint8_t> samples(w * h);
            for (size_t y = 0; y < h; ++y)
                for (size_t x = 0; x < w; ++x) {
                    const bool redRow = (y & 1) == (pattern >> 1);
                    const bool redColumn = (x & 1) == (pattern & 1);
                    const size_t c = redRow == redColumn ? (redRow ? 0 : 2) : 1;
                    samples[y * w + x] = uint8_t(truth(x, y, c));
                }
            mosaic.Fill(samples);
            Image rgb(ORVEX_RGB24, w, h, 3 * w, 1, 0, false);
            ASSERT_EQ(orvex_demosaic(mosaic.get(), rgb.get(), method, nullptr), ORVEX_OK);
            const std::vector<uint8_t> out = rgb.Packed();
            int worst = 0;
            for (size_t y = frame; y + frame < h; ++y)
                for (size_t x = frame; x + frame < w; ++x)
                    for (size_t c = 0; c < 3; ++c)
                        worst =
                            std::max(worst, std::abs(out[3 * (y * w + x) + c] - truth(x, y, c)));
            EXPECT_LE(worst, 1) << "method " << method << " pattern " << pattern;
        }
}

TEST(Orvex2, ConcurrentCallsShareTheWorkers) {
    const size_t w = 641, h = 640;
    Image mosaic = MosaicImage(w, h, false, ORVEX_RGGB, 0, 0, false, 12);
    std::vector<std::vector<uint8_t>> want;
    for (const uint32_t method : kMethods) {
        Image out = OutputImage(kOutputs[0], w, h, 0, false);
        const orvex_options single = Threads(1);
        ASSERT_EQ(orvex_demosaic(mosaic.get(), out.get(), method, &single), ORVEX_OK);
        want.push_back(out.Packed());
    }
    std::vector<std::thread> callers;
    std::vector<int> good(8, 0);
    for (size_t t = 0; t < good.size(); ++t)
        callers.emplace_back([&, t] {
            const uint32_t method = kMethods[t % std::size(kMethods)];
            Image out = OutputImage(kOutputs[0], w, h, 0, false);
            const orvex_options all = Threads(0);
            good[t] = orvex_demosaic(mosaic.get(), out.get(), method, &all) == ORVEX_OK &&
                      out.Packed() == want[t % std::size(kMethods)];
        });
    for (std::thread& c : callers) c.join();
    EXPECT_EQ(good, std::vector<int>(good.size(), 1));
}

// Grey, alpha and sample widths as the header states them.
TEST(Orvex2, GreyAlphaAndSampleWidths) {
    Image mosaic = MosaicImage(6, 4, true, ORVEX_GBRG, 12, 0, false, 9);
    Image rgb48 = OutputImage(kOutputs[5], 6, 4, 0, false);
    ASSERT_EQ(orvex_demosaic(mosaic.get(), rgb48.get(), ORVEX_BILINEAR, nullptr), ORVEX_OK);
    const std::vector<uint8_t> wide = rgb48.Packed();
    Image rgba = OutputImage(kOutputs[2], 6, 4, 0, false);
    Image grey = OutputImage(kOutputs[9], 6, 4, 0, false);
    orvex_options options = Threads(1);
    options.alpha = 77;
    ASSERT_EQ(orvex_demosaic(mosaic.get(), rgba.get(), ORVEX_BILINEAR, &options), ORVEX_OK);
    ASSERT_EQ(orvex_demosaic(mosaic.get(), grey.get(), ORVEX_BILINEAR, &options), ORVEX_OK);
    const std::vector<uint8_t> narrow = rgba.Packed(), luma = grey.Packed();
    for (size_t i = 0; i < 24; ++i) {
        uint32_t c[3];
        for (size_t k = 0; k < 3; ++k) {
            c[k] = Load16(wide.data(), 3 * i + k);
            ASSERT_EQ(narrow[4 * i + k], std::min(255u, (c[k] + 8) >> 4)) << i;
        }
        ASSERT_EQ(narrow[4 * i + 3], 77);
        ASSERT_EQ(Load16(luma.data(), i), (4899 * c[0] + 9617 * c[1] + 1868 * c[2] + 8192) >> 14);
    }
}

// Every error path: its status, and the destination untouched.
TEST(Orvex2, ErrorsWriteNothing) {
    struct Case {
        const char* name;
        void (*spoil)(orvex_image& src, orvex_image& dst, uint32_t& method, orvex_options& o);
        int status;
    };
    const Case cases[] = {
        {"unknown method", [](orvex_image&, orvex_image&, uint32_t& m, orvex_options&) { m = 99; },
         ORVEX_ERROR_ARGUMENT},
        {"null data",
         [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.data = nullptr; },
         ORVEX_ERROR_ARGUMENT},
        {"unknown format",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.format = 99; },
         ORVEX_ERROR_ARGUMENT},
        {"pattern", [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.pattern = 4; },
         ORVEX_ERROR_ARGUMENT},
        {"bits", [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.bits = 7; },
         ORVEX_ERROR_ARGUMENT},
        {"options size",
         [](orvex_image&, orvex_image&, uint32_t&, orvex_options& o) { o.size = 2; },
         ORVEX_ERROR_ARGUMENT},
        {"output as source",
         [](orvex_image& s, orvex_image&, uint32_t&, orvex_options&) { s.format = ORVEX_RGB24; },
         ORVEX_ERROR_UNSUPPORTED},
        {"mosaic as output",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.format = ORVEX_MOSAIC8; },
         ORVEX_ERROR_UNSUPPORTED},
        {"too small",
         [](orvex_image& s, orvex_image& d, uint32_t&, orvex_options&) { s.width = d.width = 1; },
         ORVEX_ERROR_SIZE},
        {"sizes differ",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.height -= 1; },
         ORVEX_ERROR_SIZE},
        {"short stride",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) { d.stride = 5; },
         ORVEX_ERROR_SIZE},
        {"extent wraps",
         [](orvex_image&, orvex_image& d, uint32_t&, orvex_options&) {
             d.stride = PTRDIFF_MAX / 2;
         },
         ORVEX_ERROR_SIZE},
        {"overlap",
         [](orvex_image& s, orvex_image& d, uint32_t&, orvex_options&) { d.data = s.data; },
         ORVEX_ERROR_OVERLAP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image mosaic = MosaicImage(8, 6, false, 0, 0, 0, false, 1);
        Image out = OutputImage(kOutputs[0], 8, 6, 0, false);
        const std::vector<uint8_t> before = out.Packed();
        orvex_image src = mosaic.image(), dst = out.image();
        uint32_t method = ORVEX_BILINEAR;
        orvex_options options = Threads(0);
        c.spoil(src, dst, method, options);
        EXPECT_EQ(orvex_demosaic(&src, &dst, method, &options), c.status);
        EXPECT_EQ(out.Packed(), before);
        EXPECT_TRUE(out.OnlyRowsWritten());
        EXPECT_NE(std::strlen(orvex_status_text(c.status)), 0u);
    }
    // Regions outside the source, planes on top of each other, and missing
    // images; the destinations stay as they were.
    Image mosaic = MosaicImage(8, 6, false, 0, 0, 0, false, 1);
    Image tile = OutputImage(kOutputs[0], 3, 3, 0, false);
    const std::vector<uint8_t> tileBefore = tile.Packed();
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 6, 0, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_SIZE);
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 0, 4, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_SIZE);
    EXPECT_EQ(orvex_demosaic_region(nullptr, 0, 0, tile.get(), ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(orvex_demosaic_region(mosaic.get(), 0, 0, nullptr, ORVEX_BLOCK, nullptr),
              ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(orvex_demosaic(nullptr, tile.get(), ORVEX_BLOCK, nullptr), ORVEX_ERROR_ARGUMENT);
    EXPECT_EQ(tile.Packed(), tileBefore);
    Image planes = OutputImage(kOutputs[6], 8, 6, 0, false);
    const std::vector<uint8_t> planesBefore = planes.Packed();
    planes.image().plane_stride = 4;
    EXPECT_EQ(orvex_demosaic(mosaic.get(), planes.get(), ORVEX_BLOCK, nullptr), ORVEX_ERROR_SIZE);
    planes.image().plane_stride = 0;
    EXPECT_EQ(planes.Packed(), planesBefore);
}

// The zoom's errors: each status, and the destination untouched.
TEST(Orvex2, ZoomErrorsWriteNothing) {
    const struct {
        const char* name;
        void (*spoil)(orvex_image& src, orvex_image& dst);
        int status;
    } cases[] = {
        {"null data", [](orvex_image& s, orvex_image&) { s.data = nullptr; }, ORVEX_ERROR_ARGUMENT},
        {"formats differ",
         [](orvex_image&, orvex_image& d) { d.format = ORVEX_MOSAIC16, d.width = 4; },
         ORVEX_ERROR_ARGUMENT},
        {"patterns differ", [](orvex_image&, orvex_image& d) { d.pattern = ORVEX_BGGR; },
         ORVEX_ERROR_ARGUMENT},
        {"not twice the rows", [](orvex_image&, orvex_image& d) { d.height -= 2; },
         ORVEX_ERROR_SIZE},
        {"colour source", [](orvex_image& s, orvex_image& d) { s.format = d.format = ORVEX_RGB24; },
         ORVEX_ERROR_UNSUPPORTED},
        {"overlap", [](orvex_image& s, orvex_image& d) { d.data = s.data; }, ORVEX_ERROR_OVERLAP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image mosaic = MosaicImage(8, 6, false, ORVEX_GRBG, 0, 0, false, 1);
        Image out(ORVEX_MOSAIC8, 8, 12, 8, 1, 0, false, ORVEX_GRBG, 0);
        const std::vector<uint8_t> before = out.Packed();
        orvex_image src = mosaic.image(), dst = out.image();
        c.spoil(src, dst);
        EXPECT_EQ(orvex_zoom_vertical(&src, &dst, nullptr), c.status);
        EXPECT_EQ(out.Packed(), before);
    }
    Image mosaic = MosaicImage(8, 6, false, ORVEX_GRBG, 0, 0, false, 1);
    EXPECT_EQ(orvex_zoom_vertical(mosaic.get(), nullptr, nullptr), ORVEX_ERROR_ARGUMENT);
}

// The zoom through the interface gives the export's bytes on strided views.
TEST(Orvex2, ZoomGivesTheExportsBytes) {
    for (const bool wide : {false, true}) {
        Image mosaic = MosaicImage(37, 10, wide, ORVEX_GRBG, wide ? 14 : 0, 5, true, 21);
        Image out(mosaic.image().format, 37, 20, 37 * (wide ? 2 : 1), 1, 3, false, ORVEX_GRBG,
                  wide ? 14 : 0);
        ASSERT_EQ(orvex_zoom_vertical(mosaic.get(), out.get(), nullptr), ORVEX_OK);
        std::vector<uint8_t> in = mosaic.Packed(), want(in.size() * 2);
        ImageDesc s = MakeDesc(in.data(), wide ? Bayer16 : Bayer8, 37, 10, wide ? 14 : 8, GRBG);
        ImageDesc d = MakeDesc(want.data(), s.format, 37, 20, 0, GRBG);
        ASSERT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);
        EXPECT_EQ(out.Packed(), want);
        EXPECT_TRUE(out.OnlyRowsWritten());
    }
}

TEST(Orvex2, NamesAndSizes) {
    std::vector<std::string> names;
    for (uint32_t code = 1; orvex_method_name(code) != nullptr; ++code)
        names.push_back(orvex_method_name(code));
    EXPECT_EQ(names, (std::vector<std::string>{"bilinear", "block", "cubic-float", "cubic-fixed",
                                               "mhc", "dlmmse", "ri"}));
    EXPECT_EQ(orvex_method_name(0), nullptr);
    EXPECT_EQ(orvex_image_bytes(ORVEX_PLANAR_RGB48, 5, 3), 90u);
    EXPECT_EQ(orvex_image_bytes(12345, 5, 3), 0u);
    EXPECT_STREQ(orvex_status_text(12345), "unknown status");
    EXPECT_NE(std::string(orvex_version()).find('.'), std::string::npos);
}

}  // namespace
