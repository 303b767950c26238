// Single-threaded throughput of every method, the zoom, memcpy of the same
// output (the memory limit) and, when built with OpenCV, its Bayer
// conversions of the same frames. Compare ratios from one run only.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "orvex.h"
#include "orvex2.h"

#if ORVEX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

struct Size {
    uint32_t w, h;
};
constexpr Size kSizes[] = {{1280, 1024}, {4096, 3072}};

std::vector<uint8_t> Mosaic(Size s, bool wide) {
    std::vector<uint8_t> m(size_t(s.w) * s.h * (wide ? 2 : 1));
    std::mt19937 rng(7);
    for (auto& b : m) b = static_cast<uint8_t>(rng());
    if (wide)
        for (size_t i = 1; i < m.size(); i += 2) m[i] &= 0x0F;  // 12-bit samples
    return m;
}

void SetRate(benchmark::State& state, Size s) {
    state.counters["Mpix/s"] = benchmark::Counter(
        double(s.w) * s.h * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void Demosaic(benchmark::State& state, uint32_t method, uint32_t format) {
    const Size s = kSizes[state.range(0)];
    const bool wide = format == RGB48 || format == PlanarRGB48;
    std::vector<uint8_t> src = Mosaic(s, wide);
    std::vector<uint8_t> dst(Orvex_CalcImageSize(format, s.w, s.h));
    ImageDesc in{}, out{};
    in.data = src.data();
    in.format = wide ? Bayer16 : Bayer8;
    in.width = s.w;
    in.height = s.h;
    in.bitDepth = wide ? 12 : 8;
    in.bayerPattern = RGGB;
    out.data = dst.data();
    out.format = format;
    for (auto _ : state) {
        Orvex_BayerToRgb(method, &in, &out);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}

void Zoom(benchmark::State& state, uint32_t format) {
    const Size s = kSizes[state.range(0)];
    const bool wide = format == Bayer16;
    std::vector<uint8_t> src = Mosaic(s, wide);
    std::vector<uint8_t> dst(src.size() * 2);
    ImageDesc in{}, out{};
    in.data = src.data();
    in.format = format;
    in.width = s.w;
    in.height = s.h;
    in.bayerPattern = GRBG;
    out.data = dst.data();
    out.width = s.w;
    out.height = 2 * s.h;
    for (auto _ : state) {
        Orvex_BayerZoomVert(2, &in, &out);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}

// The second interface on the same frames, and on a small one (640 x 480):
// packed views or rows padded by 64 bytes, one thread or one per core;
// 8-bit mosaics into RGB24, 12-bit ones into RGB48.
constexpr Size kSizes2[] = {{640, 480}, {4096, 3072}};

// One conversion of an RGGB mosaic of s (8-bit, or 12-bit samples in 16)
// into rows of `pitch` bytes of `layout`, timed.
void TimeOrvex2(benchmark::State& state, Size s, bool wide, uint32_t layout, size_t pitch,
                uint32_t method, uint32_t threads) {
    std::vector<uint8_t> src = Mosaic(s, wide);
    std::vector<uint8_t> dst(pitch * s.h);
    orvex_image in{}, out{};
    in.data = src.data();
    in.width = s.w;
    in.height = s.h;
    in.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    in.pattern = ORVEX_RGGB;
    in.bits = wide ? 12 : 8;
    out.data = dst.data();
    out.stride = ptrdiff_t(pitch);
    out.width = s.w;
    out.height = s.h;
    out.format = layout;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = threads;
    for (auto _ : state) {
        orvex_demosaic(&in, &out, method, &options);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}

void Orvex2(benchmark::State& state, uint32_t method, bool padded, uint32_t threads, bool wide) {
    const Size s = kSizes2[state.range(0)];
    const size_t pitch = size_t(s.w) * (wide ? 6 : 3) + (padded ? 64 : 0);
    TimeOrvex2(state, s, wide, wide ? ORVEX_RGB48 : ORVEX_RGB24, pitch, method, threads);
}

// The GStreamer element's common conversion called directly: 1920 x 1080
// 8-bit RGGB into BGRx (opaque four-byte pixels), one thread or one per core.
void Orvex2Bgrx1080(benchmark::State& state, uint32_t method, uint32_t threads) {
    TimeOrvex2(state, {1920, 1080}, false, ORVEX_BGRA32, 1920 * 4, method, threads);
}

// Camera frames: packed mosaics, the corrections and colour, and unpacking
// (4096 x 3072 and 640 x 480, one thread).
enum class Camera { Mosaic16, Mipi12, Pipeline, Pipeline12, UnpackMipi10, UnpackMipi12 };

std::vector<uint8_t> Packed(Size s, uint32_t format) {
    std::vector<uint8_t> m(orvex_image_bytes(format, s.w, s.h));
    std::mt19937 rng(7);
    for (auto& b : m) b = static_cast<uint8_t>(rng());
    return m;
}

void CameraFrame(benchmark::State& state, Camera kind) {
    const Size s = kSizes2[state.range(0)];
    const bool unpack = kind == Camera::UnpackMipi10 || kind == Camera::UnpackMipi12;
    const uint32_t format = kind == Camera::Mosaic16       ? ORVEX_MOSAIC16
                            : kind == Camera::Pipeline     ? ORVEX_MOSAIC8
                            : kind == Camera::UnpackMipi10 ? ORVEX_MOSAIC10_MIPI
                                                           : ORVEX_MOSAIC12_MIPI;
    std::vector<uint8_t> src = format == ORVEX_MOSAIC16  ? Mosaic(s, true)
                               : format == ORVEX_MOSAIC8 ? Mosaic(s, false)
                                                         : Packed(s, format);
    std::vector<uint8_t> dst(size_t(s.w) * s.h * (unpack ? 2 : 3));
    orvex_image in{}, out{};
    in.data = src.data();
    in.width = s.w;
    in.height = s.h;
    in.format = format;
    in.pattern = ORVEX_RGGB;
    in.bits = format == ORVEX_MOSAIC16 ? 12 : 0;
    out.data = dst.data();
    out.width = s.w;
    out.height = s.h;
    out.format = unpack ? ORVEX_MOSAIC16 : ORVEX_RGB24;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = 1;
    if (kind == Camera::Pipeline || kind == Camera::Pipeline12) {
        const float matrix[9] = {1.6f, -0.4f, -0.2f, -0.3f, 1.5f, -0.2f, 0.1f, -0.6f, 1.5f};
        for (int c = 0; c < 4; ++c) options.black[c] = kind == Camera::Pipeline ? 16 : 256;
        options.gain[0] = 2.0f, options.gain[3] = 1.5f;
        for (int i = 0; i < 9; ++i) options.matrix[i] = matrix[i];
        options.transfer = ORVEX_TRANSFER_SRGB;
    }
    for (auto _ : state) {
        if (unpack)
            orvex_unpack(&in, &out, &options);
        else
            orvex_demosaic(&in, &out, ORVEX_BILINEAR, &options);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}

// memcpy of as many bytes as the conversion writes.
void Copy(benchmark::State& state, uint32_t bytesPerPixel) {
    const Size s = kSizes[state.range(0)];
    std::vector<uint8_t> src(size_t(s.w) * s.h * bytesPerPixel, 1), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}

#if ORVEX_BENCH_OPENCV
void OpenCv(benchmark::State& state, int code, bool wide) {
    cv::setNumThreads(1);
    const Size s = kSizes[state.range(0)];
    std::vector<uint8_t> src = Mosaic(s, wide);
    cv::Mat in(int(s.h), int(s.w), wide ? CV_16UC1 : CV_8UC1, src.data());
    cv::Mat out(int(s.h), int(s.w), wide ? CV_16UC3 : CV_8UC3);
    for (auto _ : state) {
        cv::cvtColor(in, out, code);
        benchmark::DoNotOptimize(out.data);
        benchmark::ClobberMemory();
    }
    SetRate(state, s);
}
#endif

#define ORVEX_SIZES ->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()

#define ORVEX2_CASES(name, method)                                                   \
    BENCHMARK_CAPTURE(Orvex2, name##_t1, method, false, 1, false) ORVEX_SIZES;       \
    BENCHMARK_CAPTURE(Orvex2, name##_t1_padded, method, true, 1, false) ORVEX_SIZES; \
    BENCHMARK_CAPTURE(Orvex2, name##_t0, method, false, 0, false) ORVEX_SIZES;       \
    BENCHMARK_CAPTURE(Orvex2, name##_16_t1, method, false, 1, true) ORVEX_SIZES;

ORVEX2_CASES(block, ORVEX_BLOCK)
ORVEX2_CASES(bilinear, ORVEX_BILINEAR)
ORVEX2_CASES(cubic, ORVEX_CUBIC_FLOAT)
ORVEX2_CASES(cubicfixed, ORVEX_CUBIC_FIXED)
ORVEX2_CASES(mhc, ORVEX_MHC)
ORVEX2_CASES(dlmmse, ORVEX_DLMMSE)
ORVEX2_CASES(ri, ORVEX_RI)

BENCHMARK_CAPTURE(Orvex2Bgrx1080, bilinear_BGRx_1080_t1, ORVEX_BILINEAR, 1)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Orvex2Bgrx1080, bilinear_BGRx_1080_t0, ORVEX_BILINEAR, 0)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(CameraFrame, bilinear_mosaic16_RGB24, Camera::Mosaic16) ORVEX_SIZES;
BENCHMARK_CAPTURE(CameraFrame, bilinear_mipi12_RGB24, Camera::Mipi12) ORVEX_SIZES;
BENCHMARK_CAPTURE(CameraFrame, bilinear_pipeline_RGB24, Camera::Pipeline) ORVEX_SIZES;
BENCHMARK_CAPTURE(CameraFrame, bilinear_pipeline_mipi12_RGB24, Camera::Pipeline12) ORVEX_SIZES;
BENCHMARK_CAPTURE(CameraFrame, unpack_mipi10, Camera::UnpackMipi10) ORVEX_SIZES;
BENCHMARK_CAPTURE(CameraFrame, unpack_mipi12, Camera::UnpackMipi12) ORVEX_SIZES;

BENCHMARK_CAPTURE(Copy, memcpy_3B, 3) ORVEX_SIZES;
BENCHMARK_CAPTURE(Copy, memcpy_4B, 4) ORVEX_SIZES;
BENCHMARK_CAPTURE(Copy, memcpy_6B, 6) ORVEX_SIZES;
BENCHMARK_CAPTURE(Copy, memcpy_2B_zoom8, 2) ORVEX_SIZES;
BENCHMARK_CAPTURE(Copy, memcpy_4B_zoom16, 4) ORVEX_SIZES;

BENCHMARK_CAPTURE(Demosaic, block_8_BGR24, MethodBlock, BGR24) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, block_8_BGRA32, MethodBlock, BGRA32) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, block_16_RGB48, MethodBlock, RGB48) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, bilinear_8_BGR24, MethodBilinear, BGR24) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, bilinear_8_BGRA32, MethodBilinear, BGRA32) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, bilinear_16_RGB48, MethodBilinear, RGB48) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubic_8_BGR24, MethodBicubicFloat, BGR24) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubic_8_BGRA32, MethodBicubicFloat, BGRA32) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubic_16_RGB48, MethodBicubicFloat, RGB48) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubicfixed_8_BGR24, MethodBicubicFixed, BGR24) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubicfixed_8_BGRA32, MethodBicubicFixed, BGRA32) ORVEX_SIZES;
BENCHMARK_CAPTURE(Demosaic, cubicfixed_16_RGB48, MethodBicubicFixed, RGB48) ORVEX_SIZES;
BENCHMARK_CAPTURE(Zoom, zoom_Bayer8, Bayer8) ORVEX_SIZES;
BENCHMARK_CAPTURE(Zoom, zoom_Bayer16, Bayer16) ORVEX_SIZES;

#if ORVEX_BENCH_OPENCV
BENCHMARK_CAPTURE(OpenCv, opencv_bilinear_8, cv::COLOR_BayerBG2BGR, false) ORVEX_SIZES;
BENCHMARK_CAPTURE(OpenCv, opencv_edgeaware_8, cv::COLOR_BayerBG2BGR_EA, false) ORVEX_SIZES;
BENCHMARK_CAPTURE(OpenCv, opencv_vng_8, cv::COLOR_BayerBG2BGR_VNG, false) ORVEX_SIZES;
BENCHMARK_CAPTURE(OpenCv, opencv_bilinear_16, cv::COLOR_BayerBG2BGR, true) ORVEX_SIZES;
BENCHMARK_CAPTURE(OpenCv, opencv_edgeaware_16, cv::COLOR_BayerBG2BGR_EA, true) ORVEX_SIZES;
#endif

}  // namespace

BENCHMARK_MAIN();
