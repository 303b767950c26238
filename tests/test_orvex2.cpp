// The second interface's conversions: the exports' bytes where both convert,
// reflection at the edges, regions, threads, bands and strided views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "orvex2.h"
#include "orvex2_images.h"
#include "test_support.h"

namespace {

using namespace orvex2_test;

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
                        ExportResult(mosaic.Contiguous(), w, h, wide, bits ? bits : 8, pattern,
                                     method, o.exportFormat);
                    const std::vector<uint8_t> got = out.Contiguous();
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
            const std::vector<uint8_t> m = mosaic.Contiguous();
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
            const std::vector<uint8_t> got = out.Contiguous();
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
            const std::vector<uint8_t> want = whole.Contiguous();
            for (const uint32_t threads : {1u, 2u, 3u, 8u}) {
                Image again = OutputImage(o, w, h, rng() % 64, rng() % 2);
                const orvex_options options = Threads(threads);
                ASSERT_EQ(orvex_demosaic(mosaic.get(), again.get(), method, &options), ORVEX_OK);
                ASSERT_EQ(again.Contiguous(), want) << threads << " threads";
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
                    const std::vector<uint8_t> got = tile.Contiguous();
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
            const std::vector<uint8_t> want = one.Contiguous();
            for (const uint32_t threads : {0u, 2u, 3u, 8u}) {
                Image many = OutputImage(o, w, h, 7, true);
                const orvex_options options = Threads(threads);
                ASSERT_EQ(orvex_demosaic(mosaic.get(), many.get(), method, &options), ORVEX_OK);
                ASSERT_TRUE(many.Contiguous() == want)
                    << "method " << method << " threads " << threads;
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
            const std::vector<uint8_t> out = rgb.Contiguous();
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
        want.push_back(out.Contiguous());
    }
    std::vector<std::thread> callers;
    std::vector<int> good(8, 0);
    for (size_t t = 0; t < good.size(); ++t)
        callers.emplace_back([&, t] {
            const uint32_t method = kMethods[t % std::size(kMethods)];
            Image out = OutputImage(kOutputs[0], w, h, 0, false);
            const orvex_options all = Threads(0);
            good[t] = orvex_demosaic(mosaic.get(), out.get(), method, &all) == ORVEX_OK &&
                      out.Contiguous() == want[t % std::size(kMethods)];
        });
    for (std::thread& c : callers) c.join();
    EXPECT_EQ(good, std::vector<int>(good.size(), 1));
}

// Grey, alpha and sample widths as the header states them.
TEST(Orvex2, GreyAlphaAndSampleWidths) {
    Image mosaic = MosaicImage(6, 4, true, ORVEX_GBRG, 12, 0, false, 9);
    Image rgb48 = OutputImage(kOutputs[5], 6, 4, 0, false);
    ASSERT_EQ(orvex_demosaic(mosaic.get(), rgb48.get(), ORVEX_BILINEAR, nullptr), ORVEX_OK);
    const std::vector<uint8_t> wide = rgb48.Contiguous();
    Image rgba = OutputImage(kOutputs[2], 6, 4, 0, false);
    Image grey = OutputImage(kOutputs[9], 6, 4, 0, false);
    orvex_options options = Threads(1);
    options.alpha = 77;
    ASSERT_EQ(orvex_demosaic(mosaic.get(), rgba.get(), ORVEX_BILINEAR, &options), ORVEX_OK);
    ASSERT_EQ(orvex_demosaic(mosaic.get(), grey.get(), ORVEX_BILINEAR, &options), ORVEX_OK);
    const std::vector<uint8_t> narrow = rgba.Contiguous(), luma = grey.Contiguous();
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

}  // namespace
