// The plain form of the zoom's interpolation pass: rows 4k+1 and 4k+2 from
// the copied rows by four run-kernel calls, in place in the destination,
// reading copied rows only; then the border rows.
#include "zoom/zoom_run_kernels.h"

#include <cstddef>

#include "core/samples.h"
#include "methods/zoom/bayer_zoom.h"
#include "methods/zoom/zoom_sites.h"
#include "orvex.h"

namespace orvex {
namespace {

// Odd-column runs have a last site only when the width is even.
bool RunHasLast(uint16_t width, bool oddColumns) {
    return !oddColumns || (width & 1) == 0;
}

template <class S>
void ColourSites(uint8_t* start, uint16_t width, uint16_t n, uint16_t rowCount, uint8_t runCode) {
    const ptrdiff_t row = ptrdiff_t(width) * S::kBytes;
    const bool rowsTwo = (runCode & 1) == 0;  // rows 4k+2 lean on the row above
    const bool hasLast = RunHasLast(width, runCode >= 2);
    for (size_t k = 0; k < rowCount; ++k) {
        uint8_t* out = start + ptrdiff_t(4 * k) * row - 2 * ptrdiff_t(S::kBytes);
        const uint8_t* above = out - 2 * row;
        const uint8_t* below = out + 2 * row;
        zoom::ColourRun<S>(out, rowsTwo ? above : below, rowsTwo ? below : above, n, hasLast);
    }
}

template <class S>
void GreenSites(uint8_t* start, uint16_t width, uint16_t n, uint16_t rowCount, uint8_t runCode) {
    const ptrdiff_t row = ptrdiff_t(width) * S::kBytes;
    const bool rowsTwo = (runCode & 1) == 0;  // S two rows up, Q one row down
    const bool hasLast = RunHasLast(width, runCode >= 2);
    for (size_t k = 0; k < rowCount; ++k) {
        uint8_t* out = start + ptrdiff_t(4 * k) * row - 2 * ptrdiff_t(S::kBytes);
        const uint8_t* same = rowsTwo ? out - 2 * row : out + 2 * row;
        const uint8_t* diagonal = rowsTwo ? out + row : out - row;
        zoom::GreenRun<S>(out, same, diagonal, n, false, hasLast);
    }
}

struct ZoomCall {
    uint8_t firstRow, startColumn, runCode;
    bool rowsOfKindTwo;         // rows 4k+2 (rowsA), else rows 4k+1 (rowsB)
    bool colourOnColourCorner;  // colour-site kernel for RGGB and BGGR
};

constexpr ZoomCall kZoomCalls[4] = {
    {2, 2, 0, true, true},
    {2, 3, 2, true, false},
    {5, 2, 1, false, false},
    {5, 3, 3, false, true},
};

struct ZoomKernels {
    ZoomRunKernel colour, green;
    ZoomBorderFn borderColourCorner, borderGreenCorner;
    size_t sampleBytes;
};

void Interpolate(const ZoomKernels& k, uint8_t* dst, uint16_t width, uint16_t height,
                 uint32_t pattern) {
    if (width < 5 || height < 6 || pattern > BGGR) return;
    const bool colourCorner = pattern == RGGB || pattern == BGGR;
    const auto n = static_cast<uint16_t>((width + (width & 1) - 4) / 2);
    const auto rowsA = static_cast<uint16_t>((height - 4 + 3) / 4);
    const auto rowsB = static_cast<uint16_t>((height - 4) / 4);
    for (const ZoomCall& call : kZoomCalls) {
        const ZoomRunKernel kernel = call.colourOnColourCorner == colourCorner ? k.colour : k.green;
        uint8_t* start = dst + (size_t(call.firstRow) * width + call.startColumn) * k.sampleBytes;
        kernel(start, width, n, call.rowsOfKindTwo ? rowsA : rowsB, call.runCode);
    }
    (colourCorner ? k.borderColourCorner : k.borderGreenCorner)(
        dst, ptrdiff_t(width) * ptrdiff_t(k.sampleBytes), width, height, n);
}

}  // namespace

void ZoomColourSites8(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                      uint8_t runCode) {
    ColourSites<Sample8>(start, width, pairCount, rowCount, runCode);
}
void ZoomGreenSites8(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                     uint8_t runCode) {
    GreenSites<Sample8>(start, width, pairCount, rowCount, runCode);
}
void ZoomColourSites16(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                       uint8_t runCode) {
    ColourSites<Sample16>(start, width, pairCount, rowCount, runCode);
}
void ZoomGreenSites16(uint8_t* start, uint16_t width, uint16_t pairCount, uint16_t rowCount,
                      uint8_t runCode) {
    GreenSites<Sample16>(start, width, pairCount, rowCount, runCode);
}

void ZoomInterpolate8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern) {
    static constexpr ZoomKernels k{ZoomColourSites8, ZoomGreenSites8, ZoomBorderColourCorner8,
                                   ZoomBorderGreenCorner8, 1};
    Interpolate(k, dstData, width, height, pattern);
}

void ZoomInterpolate16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern) {
    static constexpr ZoomKernels k{ZoomColourSites16, ZoomGreenSites16, ZoomBorderColourCorner16,
                                   ZoomBorderGreenCorner16, 2};
    Interpolate(k, dstData, width, height, pattern);
}

}  // namespace orvex
