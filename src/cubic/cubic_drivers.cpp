// Drivers of the two cubic methods: gate, tables, then the image row by row:
// each output row advances the four plane rings down the mosaic, takes one
// vertical sum per plane and recombines the four plane rows; release.
#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

#include "api/formats.h"
#include "cubic/cubic_alloc.h"
#include "cubic/cubic_demosaic.h"
#include "cubic/cubic_state.h"
#include "cubic/plane_recombine.h"
#include "cubic/row_kernels.h"

namespace orvex {
namespace {

constexpr int32_t kLeftMargin = 1;
constexpr int32_t kRightMargin = 2;
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
    void (*enlargeRow)(uint16_t* ring, uint16_t* scratch, int32_t outWidth);
    const uint16_t* (*verticalRow)(uint16_t* out, const uint16_t* const ring[4], size_t width,
                                   size_t row);
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

void EnlargeFloat(uint16_t* ring, uint16_t* scratch, int32_t outWidth) {
    EnlargeRow(ring, scratch, outWidth, kLeftMargin, cubicState.horizontalIndex,
               cubicState.horizontalWeights);
}

void EnlargeFixed(uint16_t* ring, uint16_t* scratch, int32_t outWidth) {
    EnlargeRowFixed(ring, scratch, outWidth, kLeftMargin, cubicState.horizontalIndex,
                    cubicState.horizontalWeightsFixed);
}

const uint16_t* VerticalFloat(uint16_t* out, const uint16_t* const ring[4], size_t width,
                              size_t row) {
    return VerticalRow(out, ring, width, kLeftMargin, cubicState.verticalWeights, row);
}

const uint16_t* VerticalFixed(uint16_t* out, const uint16_t* const ring[4], size_t width,
                              size_t row) {
    return VerticalRowFixed(out, ring, width, kLeftMargin, cubicState.verticalWeightsFixed, row);
}

constexpr NumberForm kFloatForm{BuildFloatWeights, EnlargeFloat, VerticalFloat};
constexpr NumberForm kFixedForm{BuildFixedWeights, EnlargeFixed, VerticalFixed};

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

// Column dx and row dy of the red sample inside the 2x2 cell, by pattern.
constexpr uint8_t kRedColumn[4] = {0, 1, 0, 1};
constexpr uint8_t kRedRow[4] = {0, 0, 1, 1};

// Where each plane of the set sits inside the cell.
MosaicPlane PlaneOf(const ImageDesc& src, int p) {
    const size_t dx = kRedColumn[src.bayerPattern], dy = kRedRow[src.bayerPattern];
    const size_t rowOffset[4] = {dy, 1 - dy, dy, 1 - dy};  // R, B, Gr, Gb
    const size_t columnOffset[4] = {dx, 1 - dx, 1 - dx, dx};
    return {static_cast<const uint8_t*>(src.data),
            src.width,
            src.format == Bayer16,
            rowOffset[p],
            columnOffset[p],
            int32_t(src.width >> 1),
            int32_t(src.height >> 1)};
}

bool AllocateBands(size_t width) {
    CubicState& s = cubicState;
    s.ringWidth = int32_t(width) + kLeftMargin + kRightMargin;
    const size_t ringBytes = size_t(s.ringWidth) * sizeof(uint16_t);
    for (PlaneBand& band : s.bands) {
        for (auto& row : band.ring)
            if ((row = static_cast<uint16_t*>(CubicAlloc(ringBytes))) == nullptr) return false;
        if ((band.row = static_cast<uint16_t*>(CubicAlloc(width * sizeof(uint16_t)))) == nullptr)
            return false;
    }
    s.scratch = static_cast<uint16_t*>(CubicAlloc(width * sizeof(uint16_t)));
    return s.scratch != nullptr;
}

void LoadRow(const NumberForm& form, const MosaicPlane& plane, int32_t row, uint16_t* ring,
             int32_t width) {
    LoadMosaicRow(plane, row, ring, kLeftMargin, kRightMargin);
    form.enlargeRow(ring, cubicState.scratch, width);
}

// Moves the band's ring down the plane until ring rows 0..3 hold the
// enlarged plane rows S - 1 .. S + 2. The rows rotate rather than copy: the
// freed row is rewritten wherever it is read before it is read.
void Advance(const NumberForm& form, const MosaicPlane& plane, PlaneBand& band, int32_t anchor,
             int32_t width) {
    while (band.last < anchor) {
        uint16_t* freed = band.ring[0];
        band.ring[0] = band.ring[1];
        band.ring[1] = band.ring[2];
        band.ring[2] = band.ring[3];
        band.ring[3] = freed;
        LoadRow(form, plane, band.last + 3, freed, width);
        ++band.last;
    }
}

// Allocates the tables and bands, then converts row by row; false on the
// first failed allocation, before any output is written.
bool Convert(const NumberForm& form, const ImageDesc& src, const ImageDesc& dst) {
    CubicState& s = cubicState;
    const uint32_t W = src.width, H = src.height, pattern = src.bayerPattern;
    const auto pw = static_cast<int32_t>(W >> 1), ph = static_cast<int32_t>(H >> 1);
    const auto w = static_cast<int32_t>(W), h = static_cast<int32_t>(H);

    s.lowBound = 1.1754943508222875e-38;
    s.highBound = 3.4028234663852886e+38;
    if (!BuildSourceIndex(s.horizontalIndex, pw, w)) return false;
    if (!BuildSourceIndex(s.verticalIndex, ph, h)) return false;
    if (!form.buildWeights(pw, w, true) || !form.buildWeights(ph, h, false)) return false;
    if (!AllocateBands(W)) return false;

    MosaicPlane planes[4];
    for (int p = 0; p < 4; ++p) {
        planes[p] = PlaneOf(src, p);
        PlaneBand& band = s.bands[p];
        for (int32_t row = -1; row <= 1; ++row)
            LoadRow(form, planes[p], row, band.ring[row + 2], w);
        band.last = -1;
    }
    // RGB48 takes its row 0 from row 1 and never reads plane row 0.
    const bool rowZeroCopied = dst.format == RGB48;
    const uint16_t* rows[4];
    for (uint32_t j = 0; j < H; ++j) {
        for (int p = 0; p < 4; ++p) {
            PlaneBand& band = s.bands[p];
            Advance(form, planes[p], band, s.verticalIndex[j], w);
            rows[p] = form.verticalRow(band.row, band.ring, W, j);
        }
        if (j > 0 || !rowZeroCopied) RecombinePlaneRow(dst, rows, dst.format, W, j, pattern);
    }
    if (rowZeroCopied) CopyRecombinedRowOneToZero(dst, W);
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
