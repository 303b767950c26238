// The cubic drivers: the banded conversion against the whole-plane
// routines, the refusals, the allocation seam, working memory and the gate
// that runs one conversion at a time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cubic/plane_recombine_whole.h"
#include "cubic/row_ring.h"
#include "cubic_conversions.h"
#include "legacy/cubic_export.h"
#include "methods/cubic/cubic_demosaic.h"
#include "methods/cubic/plane_recombine.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace orvex;
using namespace testsupport;
using namespace cubic_test;

// ---- The banded driver against the whole-plane routines. ----

// The conversion as a sequence of whole planes: split, ring passes with
// HorizontalPass and ShiftRing, plain vertical sums, RecombinePlanes.
std::vector<uint8_t> WholePlaneConversion(bool fixed, const uint8_t* mosaic, uint32_t srcFormat,
                                          uint32_t W, uint32_t H, uint32_t pattern, uint32_t format,
                                          uint16_t bitDepth) {
    RingState& s = ringState;
    int32_t* verticalIndex = nullptr;
    const auto pw = int32_t(W / 2), ph = int32_t(H / 2), w = int32_t(W), h = int32_t(H);
    ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic), srcFormat, W, H, bitDepth, pattern);
    PlaneImage* split[4] = {};
    PlaneImage* full[4] = {};
    EXPECT_TRUE(SplitBayerPlanes(src, split, pw, ph, W, H, pattern));
    EXPECT_TRUE(BuildSourceIndex(ringState.memory, s.horizontalIndex, pw, w));
    EXPECT_TRUE(BuildSourceIndex(ringState.memory, verticalIndex, ph, h));
    EXPECT_TRUE(fixed ? BuildCubicWeightsFixed(ringState.memory, s.horizontalWeightsFixed, pw, w)
                      : BuildCubicWeights(ringState.memory, s.horizontalWeights, pw, w));
    CubicWeightSet<float> vf{};
    CubicWeightSet<int32_t> vq{};
    EXPECT_TRUE(fixed ? BuildCubicWeightsFixed(ringState.memory, vq, ph, h)
                      : BuildCubicWeights(ringState.memory, vf, ph, h));
    EXPECT_TRUE(CreateRowRing(4, w, 1, 2));
    EXPECT_TRUE(CreatePlaneSet(full, w, h));
    PlaneImage records[4];
    for (int p = 0; p < 4; ++p) {
        records[p] = *full[p];
        const auto pass = fixed ? HorizontalPassFixed : HorizontalPass;
        for (int32_t row = -1; row <= 1; ++row) pass(*split[p], row, w, row + 2, 1, 2);
        int32_t last = -1;
        for (int32_t j = 0; j < h; ++j) {
            while (last < verticalIndex[j]) {
                (fixed ? ShiftRingFixed : ShiftRing)();
                pass(*split[p], last + 3, w, 3, 1, 2);
                ++last;
            }
            uint16_t* out = PlaneRow(records[p], uint16_t(j));
            const uint16_t* const* r = s.ring.rows;
            for (int32_t x = 1; x <= w; ++x) {
                if (fixed) {
                    const int32_t sum = r[0][x] * vq.table[3][j] + r[1][x] * vq.table[2][j] +
                                        r[2][x] * vq.table[1][j] + r[3][x] * vq.table[0][j];
                    out[x - 1] = FixedToSample16(sum);
                } else {
                    const double sum =
                        ((r[0][x] * double(vf.table[3][j]) + r[1][x] * double(vf.table[2][j])) +
                         r[2][x] * double(vf.table[1][j])) +
                        r[3][x] * double(vf.table[0][j]);
                    out[x - 1] = ToSample16(sum);
                }
            }
        }
    }
    std::vector<uint8_t> bytes(Orvex_CalcImageSize(format, W, H), kCanary);
    ImageDesc dst = MakeDesc(bytes.data(), format, W, H, bitDepth, 0);
    RecombinePlanes(dst, records, format, W, H, pattern);
    for (int p = 0; p < 4; ++p) {
        ReleasePlane(split[p]);
        ReleasePlane(full[p]);
        ringState.memory.Free(vf.table[p]);
        ringState.memory.Free(vq.table[p]);
    }
    ringState.memory.Free(verticalIndex);
    ReleaseRingState();
    return bytes;
}

TEST(CubicDrivers, BandedConversionEqualsTheWholePlaneRoutines) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{130, 70}, {77, 41}, {64, 3}, {3, 64}};
    uint32_t seed = 70;
    for (const auto& [w, h] : sizes) {
        for (const uint32_t srcFormat : {Bayer8, Bayer16}) {
            std::vector<uint8_t> mosaic(size_t(w) * h * 2);
            FillRandom(mosaic.data(), mosaic.size(), seed++);
            for (const uint32_t format : {BGR24, RGB48, ARGB32}) {
                const uint32_t pattern = seed % 4;
                for (const bool fixed : {false, true}) {
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " format " << format
                                                    << (fixed ? " fixed" : " float"));
                    const Converted banded =
                        Convert(fixed ? MethodBicubicFixed : MethodBicubicFloat, mosaic.data(),
                                srcFormat, w, h, pattern, format, 12);
                    ASSERT_EQ(banded.result, 0);
                    ASSERT_EQ(banded.bytes, WholePlaneConversion(fixed, mosaic.data(), srcFormat, w,
                                                                 h, pattern, format, 12));
                }
            }
        }
    }
}

TEST(CubicDrivers, RejectsWhatItCannotConvert) {
    struct Case {
        const char* what;
        uint32_t srcFormat, dstFormat, w, h, pattern;
    } const cases[] = {
        {"mono source", Mono8, RGB24, 8, 8, RGGB},
        {"raw source", Raw16, RGB48, 8, 8, RGGB},
        {"planar destination", Bayer8, PlanarRGB24, 8, 8, RGGB},
        {"planar 48 destination", Bayer16, PlanarRGB48, 8, 8, RGGB},
        {"mosaic destination", Bayer8, Bayer8, 8, 8, RGGB},
        {"unknown destination", Bayer8, 13, 8, 8, RGGB},
        {"pattern 4", Bayer8, RGB24, 8, 8, 4},
        {"width 1", Bayer8, RGB24, 1, 8, RGGB},
        {"height 1", Bayer8, RGB24, 8, 1, RGGB},
        {"width 32768", Bayer8, RGB24, 32768, 2, RGGB},
        {"height 65536", Bayer8, RGB24, 2, 65536, RGGB},
        {"size rule wraps", Bayer8, RGB48, 32767, 30000, RGGB},
    };
    std::vector<uint8_t> mosaic(2 * 65536 * 2, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
            const uint32_t size =
                c.w * c.h <= 65536 * 2 ? Orvex_CalcImageSize(c.dstFormat, c.w, c.h) : 64;
            GuardedBuffer out(size);
            ImageDesc src = MakeDesc(mosaic.data(), c.srcFormat, c.w, c.h, 8, c.pattern);
            ImageDesc dst = MakeDesc(out.data(), c.dstFormat, 0, 0, 0, 0);
            EXPECT_EQ(Orvex_BayerToRgb(method, &src, &dst), kCubicFailed);
            EXPECT_EQ(out.Payload(), std::vector<uint8_t>(size, kCanary));
            EXPECT_EQ(CubicGate().load(), 0);
            // Refused before anything is allocated.
            CubicMemory memory;
            EXPECT_EQ(RunCubicExport(method == MethodBicubicFixed, src, dst, memory), kCubicFailed);
            EXPECT_EQ(memory.calls(), 0);
        }
    }
}

TEST(CubicDrivers, EveryAllocationFailureLeavesNothingBehind) {
    const size_t w = 9, h = 6;
    std::vector<uint8_t> mosaic(w * h * 2);
    FillRandom(mosaic.data(), mosaic.size(), 99);
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        CubicMemory counted;
        const Converted good =
            Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12, false, &counted);
        EXPECT_EQ(good.bytes,
                  Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12).bytes);
        EXPECT_EQ(counted.live(), 0);
        const int allocations = counted.calls();
        ASSERT_GT(allocations, 20);
        for (int k = 1; k <= allocations; ++k) {
            SCOPED_TRACE(k);
            CubicMemory failing(k);
            const Converted failed =
                Convert(method, mosaic.data(), Bayer16, w, h, GRBG, BGRA32, 12, false, &failing);
            EXPECT_EQ(failed.result, kCubicFailed);
            EXPECT_EQ(failed.bytes, std::vector<uint8_t>(good.bytes.size(), kCanary));
            EXPECT_EQ(failing.live(), 0);
        }
    }
}

TEST(CubicDrivers, WorkingMemoryStaysSmallForLargeFrames) {
    const size_t w = 4096, h = 3072;
    std::vector<uint8_t> mosaic(w * h * 2, 0x11);
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed}) {
        CubicMemory memory;
        const Converted c =
            Convert(method, mosaic.data(), Bayer16, w, h, RGGB, RGB48, 12, false, &memory);
        EXPECT_EQ(c.result, 0);
        EXPECT_LE(memory.bytesRequested(), size_t(16) << 20);
    }
}

TEST(CubicDrivers, ConcurrentConversionsWaitTheirTurn) {
    const size_t w = 64, h = 48;
    std::vector<uint8_t> a(w * h), b(w * h);
    FillRandom(a.data(), a.size(), 1);
    FillRandom(b.data(), b.size(), 2);
    const auto expectA = Convert(MethodBicubicFloat, a.data(), Bayer8, w, h, RGGB, BGR24, 8);
    const auto expectB = Convert(MethodBicubicFixed, b.data(), Bayer8, w, h, BGGR, RGB24, 8);
    Converted gotA, gotB;
    std::thread ta(
        [&] { gotA = Convert(MethodBicubicFloat, a.data(), Bayer8, w, h, RGGB, BGR24, 8); });
    std::thread tb(
        [&] { gotB = Convert(MethodBicubicFixed, b.data(), Bayer8, w, h, BGGR, RGB24, 8); });
    ta.join();
    tb.join();
    EXPECT_EQ(gotA.bytes, expectA.bytes);
    EXPECT_EQ(gotB.bytes, expectB.bytes);
    EXPECT_EQ(CubicGate().load(), 0);
}

// Each conversion owns its plan: many run at once, past the exports' gate,
// and give the bytes they give alone.
TEST(CubicDrivers, PlansRunConcurrently) {
    const size_t w = 150, h = 90;
    std::vector<uint8_t> mosaic(w * h * 2);
    FillRandom(mosaic.data(), mosaic.size(), 3);
    struct Job {
        uint32_t method, format, pattern;
        Converted expected, got;
    };
    std::vector<Job> jobs;
    for (const uint32_t method : {MethodBicubicFloat, MethodBicubicFixed})
        for (const uint32_t format : {BGR24, RGB48, BGRA32})
            jobs.push_back({method, format, uint32_t(jobs.size() % 4), {}, {}});
    for (Job& j : jobs)
        j.expected = Convert(j.method, mosaic.data(), Bayer16, w, h, j.pattern, j.format, 12);
    std::vector<std::thread> threads;
    for (Job& j : jobs)
        threads.emplace_back([&mosaic, &j, w, h] {
            CubicMemory memory;
            j.got = Convert(j.method, mosaic.data(), Bayer16, w, h, j.pattern, j.format, 12, false,
                            &memory);
        });
    for (std::thread& t : threads) t.join();
    for (const Job& j : jobs) EXPECT_EQ(j.got.bytes, j.expected.bytes);
}

TEST(CubicDrivers, TheGateHoldsCubicButNotTheOtherMethods) {
    const size_t w = 8, h = 8;
    std::vector<uint8_t> mosaic(w * h, 50);
    CubicGate() = 1;  // a conversion is running

    // Block and bilinear do not wait for it.
    for (const uint32_t method : {MethodBlock, MethodBilinear})
        EXPECT_EQ(Convert(method, mosaic.data(), Bayer8, w, h, RGGB, RGB24, 8).result, 0);

    std::atomic<bool> finished{false};
    Converted got;
    std::thread waiter([&] {
        got = Convert(MethodBicubicFixed, mosaic.data(), Bayer8, w, h, RGGB, RGB24, 8);
        finished = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_FALSE(finished);
    CubicGate() = 0;
    waiter.join();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.bytes, std::vector<uint8_t>(w * h * 3, 50));
}

}  // namespace
