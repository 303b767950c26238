// Drivers of the two cubic methods: gate, split, tables, ring, full-size
// planes, per-plane enlargement, recombination, release.
#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

#include "api/formats.h"
#include "cubic/cubic_demosaic.h"
#include "cubic/cubic_state.h"
#include "cubic/plane_recombine.h"
#include "cubic/row_ring.h"

namespace orvex {
namespace {

constexpr int32_t kLeftMargin = 1;
constexpr int32_t kRightMargin = 2;
constexpr int32_t kRingRows = 4;
constexpr unsigned kGatePollMilliseconds = 250;

void WaitForGate() {
#if defined(_WIN32)
    Sleep(kGatePollMilliseconds);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(kGatePollMilliseconds));
#endif
}

// What differs between the two number forms.
struct NumberForm {
    bool (*buildWeights)(int32_t inSize, int32_t outSize, bool horizontal);
    void (*horizontalPass)(PlaneImage, int32_t, int32_t, int32_t, int32_t, int32_t);
    void (*shiftRing)();
    void (*verticalRow)(uint16_t* out, size_t width, size_t row);
};

bool BuildFloatWeights(int32_t inSize, int32_t outSize, bool horizontal) {
    return BuildCubicWeights(horizontal ? cubicState.horizontalWeights : cubicState.verticalWeights,
                             inSize, outSize);
}

bool BuildFixedWeights(int32_t inSize, int32_t outSize, bool horizontal) {
    return BuildCubicWeightsFixed(
        horizontal ? cubicState.horizontalWeightsFixed : cubicState.verticalWeightsFixed, inSize,
        outSize);
}

void VerticalRowFloat(uint16_t* out, size_t width, size_t row) {
    float* const* t = cubicState.verticalWeights.table;
    const double w0 = t[0][row], w1 = t[1][row], w2 = t[2][row], w3 = t[3][row];
    uint16_t* const* ring = cubicState.ring.rows;
    const uint16_t *r0 = ring[0] + kLeftMargin, *r1 = ring[1] + kLeftMargin,
                   *r2 = ring[2] + kLeftMargin, *r3 = ring[3] + kLeftMargin;
    for (size_t x = 0; x < width; ++x) {
        const double sum = ((r0[x] * w3 + r1[x] * w2) + r2[x] * w1) + r3[x] * w0;
        out[x] = ToSample16(sum);
    }
}

void VerticalRowFixed(uint16_t* out, size_t width, size_t row) {
    int32_t* const* t = cubicState.verticalWeightsFixed.table;
    const int32_t w0 = t[0][row], w1 = t[1][row], w2 = t[2][row], w3 = t[3][row];
    uint16_t* const* ring = cubicState.ring.rows;
    const uint16_t *r0 = ring[0] + kLeftMargin, *r1 = ring[1] + kLeftMargin,
                   *r2 = ring[2] + kLeftMargin, *r3 = ring[3] + kLeftMargin;
    for (size_t x = 0; x < width; ++x) {
        const int32_t sum = r0[x] * w3 + r1[x] * w2 + r2[x] * w1 + r3[x] * w0;
        out[x] = FixedToSample16(sum);
    }
}

constexpr NumberForm kFloatForm{BuildFloatWeights, HorizontalPass, ShiftRing, VerticalRowFloat};
constexpr NumberForm kFixedForm{BuildFixedWeights, HorizontalPassFixed, ShiftRingFixed,
                                VerticalRowFixed};

// What the cubic methods can convert, checked before anything is allocated.
bool Convertible(const ImageDesc& src, const ImageDesc& dst) {
    if (src.format != Bayer8 && src.format != Bayer16) return false;
    if (dst.format < BGR24 || dst.format > RGB24) return false;
    if (src.bayerPattern > BGGR) return false;
    if (src.width < 2 || src.height < 2 || src.width >= 32768 || src.height >= 65536) return false;
    return SizeRuleCovers(dst.format, src.width, src.height);
}

void EnterGate() {
    for (;;) {
        int32_t idle = 0;
        if (cubicState.busyCount.compare_exchange_strong(idle, 1)) return;
        WaitForGate();
    }
}

void EnlargePlane(const NumberForm& form, int p, size_t width, size_t height) {
    const PlaneImage& split = cubicState.splitRecords[p];
    const auto w = static_cast<int32_t>(width);
    for (int32_t row = -1; row <= 1; ++row)
        form.horizontalPass(split, row, w, row + 2, kLeftMargin, kRightMargin);
    int32_t last = -1;
    for (size_t j = 0; j < height; ++j) {
        while (last < cubicState.verticalIndex[j]) {
            form.shiftRing();
            form.horizontalPass(split, last + 3, w, 3, kLeftMargin, kRightMargin);
            ++last;
        }
        form.verticalRow(PlaneRow(cubicState.fullRecords[p], uint16_t(j)), width, j);
    }
}

// Steps 2 to 11; false on the first failed allocation.
bool Convert(const NumberForm& form, const ImageDesc& src, const ImageDesc& dst) {
    CubicState& s = cubicState;
    const uint32_t W = src.width, H = src.height, pattern = src.bayerPattern;
    const auto pw = static_cast<int32_t>(W >> 1), ph = static_cast<int32_t>(H >> 1);
    const auto w = static_cast<int32_t>(W), h = static_cast<int32_t>(H);

    if (!SplitBayerPlanes(src, s.splitPlanes, pw, ph, W, H, pattern)) return false;
    s.lowBound = 1.1754943508222875e-38;
    s.highBound = 3.4028234663852886e+38;
    if (!BuildSourceIndex(s.horizontalIndex, pw, w)) return false;
    if (!BuildSourceIndex(s.verticalIndex, ph, h)) return false;
    if (!form.buildWeights(pw, w, true) || !form.buildWeights(ph, h, false)) return false;
    if (!CreateRowRing(kRingRows, w, kLeftMargin, kRightMargin)) return false;
    if (!CreatePlaneSet(s.fullPlanes, w, h)) return false;
    for (int p = 0; p < 4; ++p) {
        s.splitRecords[p] = *s.splitPlanes[p];
        s.fullRecords[p] = *s.fullPlanes[p];
    }
    for (int p = 0; p < 4; ++p) EnlargePlane(form, p, W, H);
    RecombinePlanes(dst, s.fullRecords, dst.format, W, H, pattern);
    return true;
}

int32_t DemosaicBicubic(const NumberForm& form, const ImageDesc& src, const ImageDesc& dst) {
    if (!Convertible(src, dst)) return kCubicFailed;
    EnterGate();
    const bool done = Convert(form, src, dst);
    ReleaseCubicState();
    cubicState.busyCount.fetch_sub(1);
    return done ? 0 : kCubicFailed;
}

}  // namespace

int32_t DemosaicBicubicFloat(const ImageDesc& src, const ImageDesc& dst) {
    return DemosaicBicubic(kFloatForm, src, dst);
}

int32_t DemosaicBicubicFixed(const ImageDesc& src, const ImageDesc& dst) {
    return DemosaicBicubic(kFixedForm, src, dst);
}

}  // namespace orvex
