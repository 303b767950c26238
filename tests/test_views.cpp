// The demosaic methods on views whose rows are not packed: padded rows, odd
// start addresses, bottom-up rows, planes apart by more than their rows. The
// bytes are those of the export on packed buffers, and nothing between the
// rows or planes is written.
#include <gtest/gtest.h>

#include <vector>

#include "core/image_view.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/block/block_demosaic.h"
#include "methods/cubic/cubic_demosaic.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace orvex;
using namespace testsupport;

// One image's rows in a guarded buffer: `pad` bytes after each row, planes
// one more row apart, top-down or bottom-up; odd pads start the buffer at an
// odd address.
struct Rows {
    Rows(size_t rowBytes, size_t rows, size_t planes, size_t pad, bool bottomUp)
        : rowBytes(rowBytes),
          pitch(rowBytes + pad),
          planeBytes(pitch * (rows + 1)),
          buffer(planeBytes * planes, pad % 2 == 1) {
        stride = bottomUp ? -ptrdiff_t(pitch) : ptrdiff_t(pitch);
        first = buffer.data() + (bottomUp ? (rows - 1) * pitch : 0);
    }
    uint8_t* Row(size_t plane, size_t y) {
        return first + ptrdiff_t(plane * planeBytes) + ptrdiff_t(y) * stride;
    }

    size_t rowBytes, pitch, planeBytes;
    GuardedBuffer buffer;
    ptrdiff_t stride = 0;
    uint8_t* first = nullptr;
};

enum Method { kBlock, kBilinear, kCubicFloat, kCubicFixed };

// The cubic exports' conversion: alpha 255, samples limited to maxValue.
Conversion CubicJob(const SourceView& src, const ImageView& dst, uint32_t maxValue) {
    Conversion job = WholeFrame(src, dst, maxValue);
    job.pack = {true, 255, 0};
    return job;
}

void RunOnViews(Method m, const SourceView& src, const ImageView& dst, uint32_t maxValue,
                SimdFeatures level) {
    CubicMemory memory;
    switch (m) {
        case kBlock:
            return BlockDemosaic(WholeFrame(src, dst), level);
        case kBilinear:
            return BilinearDemosaic(WholeFrame(src, dst), level);
        case kCubicFloat:
            ASSERT_EQ(DemosaicBicubicFloat(CubicJob(src, dst, maxValue), memory, level), 0);
            return;
        case kCubicFixed:
            ASSERT_EQ(DemosaicBicubicFixed(CubicJob(src, dst, maxValue), memory, level), 0);
            return;
    }
}

TEST(Views, EveryMethodReadsAndWritesThroughStrides) {
    const uint32_t exportCodes[] = {MethodBlock, MethodBilinear, MethodBicubicFloat,
                                    MethodBicubicFixed};
    uint32_t seed = 70;
    for (const auto level : kSimdLevels) {
        for (const Method m : {kBlock, kBilinear, kCubicFloat, kCubicFixed}) {
            const bool cubic = m == kCubicFloat || m == kCubicFixed;
            for (const LayoutRef& l : ColourLayouts()) {
                if (cubic && l.planar) continue;
                // Widths at and on both sides of 16, 32 and 64 pixels (the
                // vector widths, and twice them for the cubic planes): whole
                // vectors and tails.
                for (const auto& [w, h] : {std::pair<size_t, size_t>{5, 4},
                                           {15, 5},
                                           {16, 3},
                                           {17, 3},
                                           {31, 6},
                                           {32, 4},
                                           {33, 4},
                                           {63, 3},
                                           {64, 5},
                                           {65, 7}})
                    for (const size_t pad : {0, 4, 5})
                        for (const bool bottomUp : {false, true}) {
                            const uint32_t pattern = seed % 4;
                            SCOPED_TRACE(testing::Message()
                                         << m << " " << l.name << " " << w << "x" << h << " pad "
                                         << pad << " bottom-up " << bottomUp);
                            // Block and bilinear read samples as wide as the layout's.
                            const size_t bytes = l.sampleBytes;
                            const uint16_t depth = bytes == 2 ? 12 : 8;
                            std::vector<uint8_t> mosaic(w * h * bytes);
                            FillRandom(mosaic.data(), mosaic.size(), seed++);
                            if (bytes == 2)
                                for (size_t i = 0; i < w * h; ++i)
                                    Store16(mosaic.data(), i, Load16(mosaic.data(), i) & 0xFFF);

                            std::vector<uint8_t> packed(Orvex_CalcImageSize(l.format, w, h),
                                                        kCanary);
                            ImageDesc s = MakeDesc(mosaic.data(), bytes == 2 ? Bayer16 : Bayer8, w,
                                                   h, depth, pattern);
                            ImageDesc d = MakeDesc(packed.data(), l.format, 0, 0, 0, 0);
                            ASSERT_EQ(Orvex_BayerToRgb(exportCodes[m], &s, &d), 0);

                            const size_t planes = l.planar ? 3 : 1;
                            const size_t rowBytes = w * bytes * (l.planar ? 1 : l.samplesPerPixel);
                            Rows in(w * bytes, h, 1, pad, bottomUp);
                            Rows out(rowBytes, h, planes, pad, bottomUp);
                            for (size_t y = 0; y < h; ++y)
                                std::copy_n(&mosaic[y * w * bytes], w * bytes, in.Row(0, y));
                            const uint32_t mosaicFormat =
                                bytes == 2 ? kFormatMosaic16 : kFormatMosaic8;
                            RunOnViews(m,
                                       {in.first, in.stride, 0, uint32_t(w), uint32_t(h),
                                        mosaicFormat, pattern},
                                       {out.first, out.stride, ptrdiff_t(out.planeBytes),
                                        uint32_t(w), uint32_t(h), l.format, pattern},
                                       (1u << depth) - 1, level);
                            for (size_t p = 0; p < planes; ++p)
                                for (size_t y = 0; y < h; ++y) {
                                    const uint8_t* want = &packed[(p * h + y) * rowBytes];
                                    ASSERT_TRUE(std::equal(want, want + rowBytes, out.Row(p, y)))
                                        << "plane " << p << " row " << y;
                                    // Only the rows: the padding keeps its canaries.
                                    std::fill_n(out.Row(p, y), rowBytes, kCanary);
                                }
                            EXPECT_EQ(out.buffer.Payload(),
                                      std::vector<uint8_t>(out.buffer.size(), kCanary));
                            EXPECT_TRUE(out.buffer.GuardsIntact());
                        }
            }
        }
    }
}

}  // namespace
