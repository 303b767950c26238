// Many threads converting at once: block, bilinear and zoom run freely beside
// the cubic methods, which take turns through their gate. Every output must
// equal the single-threaded one.
#include <gtest/gtest.h>

#include <thread>

#include "engine/bands.h"
#include "orvex.h"
#include "test_support.h"

namespace {

using namespace testsupport;

struct Job {
    enum Kind { Demosaic, Zoom } kind;
    uint32_t code;  // method or zoom mode
    uint32_t srcFormat, dstFormat, pattern;
    size_t w, h;
    std::vector<uint8_t> mosaic;
    std::vector<uint8_t> expected;

    std::vector<uint8_t> Run() const {
        const bool zoom = kind == Zoom;
        const size_t bytes = zoom ? size_t(w) * h * 2 * (srcFormat == Bayer16 ? 2 : 1)
                                  : Orvex_CalcImageSize(dstFormat, w, h);
        std::vector<uint8_t> out(bytes, kCanary);
        ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic.data()), srcFormat, w, h, 10, pattern);
        ImageDesc dst = MakeDesc(out.data(), dstFormat, w, zoom ? 2 * h : 0, 0, 0);
        if (zoom)
            Orvex_BayerZoomVert(code, &src, &dst);
        else
            Orvex_BayerToRgb(code, &src, &dst);
        return out;
    }
};

std::vector<Job> MakeJobs() {
    std::vector<Job> jobs;
    uint32_t seed = 40;
    const struct {
        Job::Kind kind;
        uint32_t code, srcFormat, dstFormat;
    } kinds[] = {
        {Job::Demosaic, MethodBlock, Bayer8, BGR24},
        {Job::Demosaic, MethodBlock, Bayer16, PlanarRGB48},
        {Job::Demosaic, MethodBilinear, Bayer8, BGRA32},
        {Job::Demosaic, MethodBilinear, Bayer16, RGB48},
        {Job::Zoom, 2, Bayer8, Bayer8},
        {Job::Zoom, 2, Bayer16, Bayer16},
        {Job::Demosaic, MethodBicubicFloat, Bayer8, RGB24},
        {Job::Demosaic, MethodBicubicFixed, Bayer16, RGB48},
    };
    for (const auto& k : kinds) {
        Job j{k.kind,        k.code,        k.srcFormat, k.dstFormat, seed % 4,
              37 + seed % 5, 21 + seed % 3, {},          {}};
        j.mosaic.resize(j.w * j.h * 2);
        FillRandom(j.mosaic.data(), j.mosaic.size(), seed++);
        j.expected = j.Run();
        jobs.push_back(std::move(j));
    }
    return jobs;
}

TEST(Concurrency, EveryMethodOnManyThreadsMatchesASingleThread) {
    const std::vector<Job> jobs = MakeJobs();
    constexpr int kThreads = 6;
    constexpr int kRounds = 6;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                // Each thread walks the jobs from its own starting point, so
                // every kind overlaps with every other.
                for (size_t i = 0; i < jobs.size(); ++i) {
                    const Job& job = jobs[(i + size_t(t)) % jobs.size()];
                    if (job.Run() != job.expected) ++mismatches[t];
                }
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// Bands for the workers: a few each, the same count for every worker, never
// more at once than a method's bound, never below two rows, no more
// workers than the frame is worth, and bands tall against the method's
// reach (64 rows for each row it reads above or below).
TEST(Bands, EveryWorkerTakesTheSameNumberOfBands) {
    struct Case {
        uint32_t w, h;
        size_t threads;
        uint32_t pixelsPerBand, reach, maxBands;
        size_t bands, workers;
    };
    const Case cases[] = {
        {1920, 1080, 1, 1u << 19, 1, 0, 1, 1},   // one thread: one band
        {1920, 1080, 2, 1u << 19, 1, 0, 8, 2},   // worth 3 workers, 2 threads
        {1920, 1080, 8, 1u << 19, 1, 0, 6, 3},   // worth bounds the workers
        {1920, 1080, 2, 1u << 16, 12, 0, 2, 2},  // a wide reach: one each
        {4096, 3072, 2, 1u << 16, 12, 0, 2, 2},
        {1920, 1080, 2, 1u << 18, 2, 0, 4, 2},  // 2 each of 270 rows
        {640, 480, 2, 1u << 16, 8, 0, 2, 2},
        {64, 6, 2, 1, 1, 0, 2, 2},  // three pairs of rows
        {64, 20, 2, 1, 1, 0, 2, 2},
        {4096, 3072, 8, 1u << 15, 1, 3, 3, 3},  // bound of 3 at once
        {4096, 3072, 2, 1u << 15, 1, 8, 8, 2},
        {4096, 3072, 2, 1u << 15, 1, 5, 4, 2},  // 5 at once: 2 each
        {7, 1, 4, 1, 1, 0, 1, 1},               // no pair of rows to split
    };
    for (const Case& c : cases) {
        const orvex::MethodShape shape{nullptr, c.pixelsPerBand, c.reach, c.maxBands};
        const orvex::engine::BandSplit got = orvex::engine::BandCount(c.w, c.h, c.threads, shape);
        EXPECT_EQ(got.bands, c.bands) << c.w << "x" << c.h << " threads " << c.threads;
        EXPECT_EQ(got.workers, c.workers) << c.w << "x" << c.h << " threads " << c.threads;
    }
}

}  // namespace
