// The zoom's row kernels at every level against the plain passes, large
// outputs past the streaming size, row copies and strided views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/stream_copy.h"
#include "methods/zoom/bayer_zoom.h"
#include "orvex.h"
#include "test_support.h"
#include "zoom/zoom_run_kernels.h"

namespace {

using namespace testsupport;

// The fused interpolation pass against the four run-kernel calls.
// Every vector width the processor offers is run, down to the plain loop.
TEST(BayerZoom, FusedRowsMatchTheRunKernels) {
    std::mt19937 rng(23);
    for (const auto level : kSimdLevels) {
        for (const bool wide : {false, true}) {
            for (uint32_t pattern = 0; pattern < 5; ++pattern) {
                for (const size_t w : {5, 6, 7, 8, 31, 37, 38, 64, 101, 134}) {
                    for (const size_t h : {6, 8, 10, 12, 22}) {
                        const size_t bytes = (wide ? 2 : 1) * w * h;
                        std::vector<uint8_t> fused(bytes);
                        for (auto& b : fused) b = static_cast<uint8_t>(rng());
                        std::vector<uint8_t> plain = fused;
                        const auto W = uint16_t(w), H = uint16_t(h);
                        const orvex::ImageView view{
                            fused.data(),
                            ptrdiff_t(w * (wide ? 2 : 1)),
                            0,
                            W,
                            H,
                            wide ? orvex::kFormatMosaic16 : orvex::kFormatMosaic8,
                            pattern};
                        orvex::ZoomInterpolateRows(view, level);
                        (wide ? orvex::ZoomInterpolate16 : orvex::ZoomInterpolate8)(plain.data(), W,
                                                                                    H, pattern);
                        ASSERT_EQ(fused, plain) << w << "x" << h << " pattern " << pattern;
                    }
                }
            }
        }
    }
}

// Outputs beyond the streaming size: copies bypass the caches and the
// interpolated rows read the source rows; the bytes are the plain passes'.
TEST(BayerZoom, LargeOutputsMatchThePlainPasses) {
    const size_t W = 4099, H = 2048;  // odd width: rows start at every alignment
    for (const bool wide : {false, true}) {
        const size_t bytes = wide ? 2 : 1;
        std::vector<uint8_t> mosaic(W * H * bytes);
        testsupport::FillRandom(mosaic.data(), mosaic.size(), 77);
        std::vector<uint8_t> fused(2 * mosaic.size()), plain(2 * mosaic.size());
        ImageDesc s = testsupport::MakeDesc(mosaic.data(), wide ? Bayer16 : Bayer8, W, H,
                                            wide ? 16 : 8, GRBG);
        ImageDesc d = testsupport::MakeDesc(fused.data(), wide ? Bayer16 : Bayer8, W, 2 * H,
                                            wide ? 16 : 8, GRBG);
        ASSERT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);
        (wide ? orvex::ZoomSpreadRows16 : orvex::ZoomSpreadRows8)(mosaic.data(), plain.data(), W,
                                                                  H);
        (wide ? orvex::ZoomInterpolate16 : orvex::ZoomInterpolate8)(plain.data(), W, 2 * H, GRBG);
        ASSERT_TRUE(fused == plain) << "wide " << wide;
    }
}

// Row copies of every length up to a few vectors, from and to every
// alignment within a vector, write exactly the destination's bytes.
TEST(RowCopy, CopiesExactlyTheRowAtEveryAlignment) {
    std::vector<uint8_t> src(300);
    FillRandom(src.data(), src.size(), 5);
    for (const auto level : kSimdLevels) {
        for (size_t bytes = 0; bytes <= 200; ++bytes) {
            for (size_t from = 0; from < 32; from += 7) {
                for (size_t to = 0; to < 32; to += 5) {
                    GuardedBuffer dst(to + bytes);
                    orvex::ChooseRowCopy(level).copy(dst.data() + to, src.data() + from, bytes);
                    const auto payload = dst.Payload();
                    ASSERT_TRUE(dst.GuardsIntact() &&
                                std::all_of(payload.begin(), payload.begin() + to,
                                            [](uint8_t b) { return b == kCanary; }))
                        << bytes << " bytes from +" << from << " to +" << to;
                    ASSERT_EQ(0, std::memcmp(dst.data() + to, src.data() + from, bytes))
                        << bytes << " bytes from +" << from << " to +" << to;
                }
            }
        }
    }
}

// Rows of one image in a buffer: `pad` bytes after each row (odd pads start
// rows, and the buffer, at odd addresses), top-down or bottom-up, canaries everywhere else.
struct StridedRows {
    StridedRows(size_t rowBytes, size_t rows, size_t pad, bool bottomUp)
        : rowBytes(rowBytes), buffer((rowBytes + pad) * rows, pad % 2 == 1) {
        const ptrdiff_t step = ptrdiff_t(rowBytes + pad);
        stride = bottomUp ? -step : step;
        first = buffer.data() + (bottomUp ? (rows - 1) * size_t(step) : 0);
    }
    uint8_t* Row(size_t y) { return first + ptrdiff_t(y) * stride; }

    size_t rowBytes;
    GuardedBuffer buffer;
    ptrdiff_t stride;
    uint8_t* first;
};

// The zoom through views whose rows are not packed gives the packed zoom's
// rows and writes nothing between them.
TEST(BayerZoom, StridedViewsMatchPackedRows) {
    uint32_t seed = 40;
    for (const auto level : kSimdLevels) {
        for (const bool wide : {false, true})
            for (const size_t w : {5, 15, 16, 17, 31, 32, 33, 63, 64, 65, 67})
                for (const size_t h : {3, 5, 8})
                    for (const size_t pad : {0, 3, 4})
                        for (const bool bottomUp : {false, true}) {
                            const uint32_t pattern = seed % 4;
                            SCOPED_TRACE(testing::Message()
                                         << w << "x" << h << " wide " << wide << " pad " << pad
                                         << " bottom-up " << bottomUp << " level " << level);
                            const size_t bytes = wide ? 2 : 1, row = w * bytes;
                            std::vector<uint8_t> mosaic(row * h), packed(2 * row * h, 0);
                            FillRandom(mosaic.data(), mosaic.size(), seed++);
                            ImageDesc s = MakeDesc(mosaic.data(), wide ? Bayer16 : Bayer8, w, h,
                                                   wide ? 16 : 8, pattern);
                            ImageDesc d = MakeDesc(packed.data(), s.format, w, 2 * h, 0, pattern);
                            ASSERT_EQ(Orvex_BayerZoomVert(2, &s, &d), 0);

                            StridedRows in(row, h, pad, bottomUp), out(row, 2 * h, pad, bottomUp);
                            for (size_t y = 0; y < h; ++y)
                                std::copy_n(&mosaic[y * row], row, in.Row(y));
                            const uint32_t format =
                                wide ? orvex::kFormatMosaic16 : orvex::kFormatMosaic8;
                            orvex::ZoomVertical(
                                {in.first, in.stride, 0, uint32_t(w), uint32_t(h), format, pattern},
                                {out.first, out.stride, 0, uint32_t(w), uint32_t(2 * h), format,
                                 pattern},
                                level);
                            for (size_t y = 0; y < 2 * h; ++y) {
                                ASSERT_TRUE(
                                    std::equal(out.Row(y), out.Row(y) + row, &packed[y * row]))
                                    << "row " << y;
                                ASSERT_TRUE(std::all_of(out.Row(y) + row, out.Row(y) + row + pad,
                                                        [](uint8_t b) { return b == kCanary; }));
                            }
                            EXPECT_TRUE(out.buffer.GuardsIntact());
                        }
    }
}

}  // namespace
