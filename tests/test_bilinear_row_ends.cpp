// The ends of bilinear rows (the widths around the last whole vector run
// are among the fused rows' sizes in test_bilinear.cpp): the frame's edge
// columns written by the vector kernels (from 66 columns on), the frame's
// first and last rows, and regions that touch the frame's edges at odd and
// even columns (streamed ones are among the streamed outputs' cases there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "api/entry_points.h"
#include "bilinear/bilinear_passes.h"
#include "core/stream_copy.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "orvex.h"
#include "orvex2.h"
#include "test_support.h"

namespace {

using namespace testsupport;

struct EdgeRegion {
    size_t fw, fh, x, y, w, h;
};

// Regions touching the left, right, top or bottom edge of the frame, at odd
// and even columns, of odd and even widths, in rows with padding: each
// equals the whole conversion there (itself equal at every level to the
// plain loops'), alpha in every pixel, the padding and guards untouched.
TEST(BilinearRowEnds, RegionsAtFrameEdgesEqualTheWholeConversion) {
    const EdgeRegion regions[] = {
        {200, 7, 0, 0, 131, 4},   // left and top edges, odd width
        {200, 7, 0, 2, 130, 5},   // left and bottom edges, even width
        {201, 6, 71, 1, 130, 5},  // right edge from an odd column, even width
        {201, 6, 70, 0, 131, 3},  // right edge from an even column, odd width
        {200, 5, 1, 1, 199, 3},   // right edge from column 1
        {200, 5, 2, 0, 198, 5},   // right edge, the region as tall as the frame
        {134, 4, 67, 0, 67, 4},   // right edge, a width just over one run
        {67, 3, 0, 0, 67, 3},     // the whole frame, one run wide
        {130, 4, 0, 0, 130, 4},   // the whole frame, the edge runs meeting
        {66, 3, 0, 0, 66, 3},     // the narrowest frame with edge runs
        {65, 4, 0, 1, 65, 3},     // one column short of them
        {132, 3, 66, 0, 66, 3},   // right edge, the narrowest region with its run
        {133, 5, 67, 0, 66, 5},   // the same from an odd column
        {199, 5, 0, 1, 67, 3},    // left edge only, odd width
        {197, 4, 0, 0, 66, 4},    // left edge only, the narrowest
    };
    const uint32_t formats[] = {ORVEX_BGRA32, ORVEX_RGBA32, ORVEX_ARGB32, ORVEX_ABGR32,
                                ORVEX_BGR24,  ORVEX_RGB24,  ORVEX_RGB48};
    const size_t pad = 12;
    uint32_t seed = 4300;
    for (const EdgeRegion& e : regions)
        for (const bool wide : {false, true}) {
            const size_t sample = wide ? 2 : 1;
            std::vector<uint8_t> mosaic(e.fw * e.fh * sample);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            if (wide)  // 12-bit samples
                for (size_t k = 1; k < mosaic.size(); k += 2) mosaic[k] &= 0x0f;
            const orvex_image src{
                mosaic.data(),  ptrdiff_t(e.fw * sample), 0,
                uint32_t(e.fw), uint32_t(e.fh),           wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8,
                ORVEX_GRBG,     wide ? 12u : 0u};
            for (const uint32_t format : formats)
                for (const uint32_t alpha : {255u, 0x80u}) {
                    const size_t px = format == ORVEX_RGB48                            ? 6
                                      : format == ORVEX_BGR24 || format == ORVEX_RGB24 ? 3
                                                                                       : 4;
                    const int alphaAt = px != 4                                            ? -1
                                        : format == ORVEX_ARGB32 || format == ORVEX_ABGR32 ? 0
                                                                                           : 3;
                    orvex_options o;
                    orvex_init_options(&o);
                    o.alpha = alpha;
                    o.threads = 1;
                    std::vector<uint8_t> plain;
                    for (const auto level : kSimdLevels) {
                        SCOPED_TRACE(testing::Message()
                                     << e.fw << "x" << e.fh << " at " << e.x << "," << e.y << " "
                                     << e.w << "x" << e.h << " wide " << wide << " format "
                                     << format << " alpha " << alpha << " level " << level);
                        std::vector<uint8_t> whole(px * e.fw * e.fh);
                        const orvex_image all{whole.data(),   0,      0, uint32_t(e.fw),
                                              uint32_t(e.fh), format, 0, 0};
                        ASSERT_EQ(
                            orvex::api::Demosaic(&src, 0, 0, &all, ORVEX_BILINEAR, &o, true, level),
                            ORVEX_OK);
                        if (plain.empty())
                            plain = whole;
                        else
                            ASSERT_TRUE(whole == plain);
                        const size_t stride = px * e.w + pad;
                        GuardedBuffer part(stride * e.h);
                        const orvex_image region{part.data(),
                                                 ptrdiff_t(stride),
                                                 0,
                                                 uint32_t(e.w),
                                                 uint32_t(e.h),
                                                 format,
                                                 0,
                                                 0};
                        ASSERT_EQ(orvex::api::Demosaic(&src, uint32_t(e.x), uint32_t(e.y), &region,
                                                       ORVEX_BILINEAR, &o, false, level),
                                  ORVEX_OK);
                        for (size_t r = 0; r < e.h; ++r) {
                            const uint8_t* got = part.data() + r * stride;
                            const uint8_t* want = whole.data() + px * ((e.y + r) * e.fw + e.x);
                            ASSERT_TRUE(std::equal(got, got + px * e.w, want)) << "row " << r;
                            for (size_t k = px * e.w; k < stride; ++k)
                                ASSERT_EQ(got[k], kCanary) << "row " << r;
                            if (alphaAt >= 0) {
                                for (size_t p = 0; p < e.w; ++p)
                                    ASSERT_EQ(got[px * p + size_t(alphaAt)], alpha) << p;
                            }
                        }
                        ASSERT_TRUE(part.GuardsIntact());
                    }
                }
        }
}

}  // namespace
