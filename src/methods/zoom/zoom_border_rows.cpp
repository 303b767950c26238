// Border rows of the zoom: row 1 and the bottom border row, from the copied
// rows, in place in the destination.
#include <cstddef>

#include "core/samples.h"
#include "methods/zoom/bayer_zoom.h"
#include "methods/zoom/zoom_sites.h"

namespace orvex {
namespace {

// Odd-column runs have a last site only when the width is even.
bool RunHasLast(size_t width, bool oddColumns) {
    return !oddColumns || (width & 1) == 0;
}

// Row 1 and the bottom border row. greenOddPhase: the column parity of the
// green sites in odd-phase rows (0 for colour-corner patterns, 1 otherwise).
template <class S>
void BorderPass(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height, size_t n,
                size_t greenOddPhase) {
    const size_t w = width;
    auto row = [&](size_t r, size_t col) { return dst + ptrdiff_t(r) * stride + col * S::kBytes; };
    auto colourCount = [&](size_t parity) { return (w - parity + 1) / 2; };

    // An odd-phase row: greens at greenOddPhase, colours at the other parity.
    const size_t g = greenOddPhase;
    const size_t c = 1 - g;
    zoom::CopyRun<S>(row(1, c), row(3, c), colourCount(c));
    zoom::GreenRun<S>(row(1, g), row(3, g), row(0, g), n, g == 1, RunHasLast(width, g == 1));

    const size_t h = height;
    if (h % 4 == 0) {
        // Even-phase row h - 2: the parities swap.
        const size_t r = h - 2;
        zoom::CopyRun<S>(row(r, g), row(h - 4, g), colourCount(g));
        zoom::GreenRun<S>(row(r, c), row(h - 4, c), row(h - 1, c), n, false,
                          RunHasLast(width, c == 1));
    } else {
        const size_t r = h - 1;
        zoom::CopyRun<S>(row(r, c), row(h - 3, c), colourCount(c));
        zoom::GreenPairRun<S>(row(r, g), row(h - 2, g), n, g == 1, RunHasLast(width, g == 1));
    }
}

}  // namespace

void ZoomBorderColourCorner8(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                             size_t pairCount) {
    BorderPass<Sample8>(dst, stride, width, height, pairCount, 0);
}
void ZoomBorderGreenCorner8(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                            size_t pairCount) {
    BorderPass<Sample8>(dst, stride, width, height, pairCount, 1);
}
void ZoomBorderColourCorner16(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                              size_t pairCount) {
    BorderPass<Sample16>(dst, stride, width, height, pairCount, 0);
}
void ZoomBorderGreenCorner16(uint8_t* dst, ptrdiff_t stride, size_t width, size_t height,
                             size_t pairCount) {
    BorderPass<Sample16>(dst, stride, width, height, pairCount, 1);
}

}  // namespace orvex
