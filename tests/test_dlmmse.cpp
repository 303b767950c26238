// The directional LMMSE demosaic where the answer is known: a flat field
// stays flat, and grey edges across and along the rows get no false colour
// (the gradient-corrected method's bounded overshoot beside it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "orvex2.h"

namespace {

// Converts a mosaic of 16-bit samples (bits 12) or bytes into RGB48 or RGB24.
std::vector<uint32_t> Demosaic(const std::vector<uint32_t>& samples, uint32_t w, uint32_t h,
                               uint32_t pattern, bool wide, uint32_t method = ORVEX_DLMMSE) {
    std::vector<uint16_t> wideIn(samples.begin(), samples.end());
    std::vector<uint8_t> narrowIn(samples.begin(), samples.end());
    std::vector<uint16_t> wideOut(3 * w * h);
    std::vector<uint8_t> narrowOut(3 * w * h);
    orvex_image src{}, dst{};
    src.data = wide ? static_cast<void*>(wideIn.data()) : narrowIn.data();
    src.width = dst.width = w;
    src.height = dst.height = h;
    src.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    src.pattern = pattern;
    src.bits = wide ? 12 : 0;
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    EXPECT_EQ(orvex_demosaic(&src, &dst, method, nullptr), ORVEX_OK);
    return wide ? std::vector<uint32_t>(wideOut.begin(), wideOut.end())
                : std::vector<uint32_t>(narrowOut.begin(), narrowOut.end());
}

TEST(Dlmmse, AFlatFieldStaysFlat) {
    for (const bool wide : {false, true})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            const uint32_t v = wide ? 4000 : 201;
            EXPECT_EQ(Demosaic(std::vector<uint32_t>(30 * 20, v), 30, 20, pattern, wide),
                      std::vector<uint32_t>(3 * 30 * 20, v))
                << "wide " << wide << " pattern " << pattern;
        }
}

// A grey step between rows 10 and 11 (and, transposed, between columns):
// every pixel stays grey within a bound. The gradient-corrected method's
// Laplacian terms overshoot at a step (as its linear kernels must); the
// edge-directed one interpolates along the edge.
TEST(QualityMethods, GreyEdgesStayGreyWithinEachMethodsBound) {
    const uint32_t w = 32, h = 24;
    const struct {
        uint32_t method;
        int bound;                                                // levels of a 40 -> 200 step
    } kCases[] = {{ORVEX_DLMMSE, 1}, {ORVEX_MHC, 160 * 3 / 16}};  // MHC: 3/16 of the step
    for (const auto& c : kCases)
        for (const bool across : {false, true})
            for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                std::vector<uint32_t> m(w * h);
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x)
                        m[y * w + x] = (across ? y : x) <= 10 ? 40 : 200;
                const std::vector<uint32_t> rgb = Demosaic(m, w, h, pattern, false, c.method);
                int worst = 0;
                for (size_t i = 0; i < w * h; ++i)
                    for (const size_t other : {0, 2})
                        worst = std::max(worst,
                                         std::abs(int(rgb[3 * i + other]) - int(rgb[3 * i + 1])));
                EXPECT_LE(worst, c.bound) << orvex_method_name(c.method) << " pattern " << pattern;
            }
}

}  // namespace

#include "dlmmse/dlmmse_plain.h"
#include "methods/dlmmse/dlmmse_demosaic.h"
#include "test_support.h"

namespace {

// The library's passes against the plain per-pixel form, at every
// instruction-set level, on random mosaics of odd and even sizes, whole and
// in regions, 8- and 16-bit.
TEST(Dlmmse, PassesMatchThePlainFormAtEveryLevel) {
    using namespace orvex;
    uint32_t seed = 3;
    for (const auto level : testsupport::kSimdLevels)
        for (const auto& [w, h] :
             {std::pair<uint32_t, uint32_t>{2, 2}, {5, 3}, {40, 37}, {77, 20}, {4163, 5}})
            for (const uint32_t bits : {8u, 12u}) {
                const bool wide = bits > 8;
                std::vector<uint8_t> mosaic(size_t(w) * h * (wide ? 2 : 1));
                testsupport::FillRandom(mosaic.data(), mosaic.size(), seed++);
                if (wide)
                    for (size_t i = 0; i < size_t(w) * h; ++i)
                        testsupport::Store16(mosaic.data(), i,
                                             testsupport::Load16(mosaic.data(), i) & 0xFFF);
                const SourceView src{mosaic.data(),
                                     ptrdiff_t(w * (wide ? 2 : 1)),
                                     0,
                                     w,
                                     h,
                                     wide ? kFormatMosaic16 : kFormatMosaic8,
                                     seed % 4};
                // The whole frame, then a region off its corner.
                for (const uint32_t x : {0u, w / 3}) {
                    const uint32_t rw = w - x, rh = h - x % h;
                    std::vector<uint8_t> fast(size_t(rw) * rh * 6), plain(fast.size());
                    auto job = [&](uint8_t* out) {
                        Conversion c =
                            WholeFrame(src, {out, ptrdiff_t(rw * 6), 0, rw, rh, kFormatRgb48, 0},
                                       (1u << bits) - 1);
                        c.x = x;
                        c.y = x % h;
                        c.pack = {true, 0, bits};
                        return c;
                    };
                    DlmmseMemory memory;
                    PrepareDlmmse(job(fast.data()), memory);
                    DlmmseDemosaic(job(fast.data()), memory, level);
                    DlmmsePlain(job(plain.data()), level);
                    ASSERT_EQ(fast, plain) << w << "x" << h << " bits " << bits << " region at "
                                           << x << " level " << level;
                }
            }
}

}  // namespace
