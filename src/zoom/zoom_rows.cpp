// Fused form of the zoom's interpolation pass: each interpolated row is one
// pass over its alternating colour and green sites. Every site is computed
// once with the formulas of the run kernels and reads copied rows only, so
// the order of the writes does not change the result; the four run-kernel
// calls stay as the plain form.
#include <cstddef>
#include <type_traits>

#include "api/samples.h"
#include "zoom/bayer_zoom.h"

namespace orvex {
namespace {

// Sums of three 8-bit samples fit 16 bits, which halves the vector lanes' width.
template <class S>
using Acc = std::conditional_t<S::kBytes == 1, uint16_t, uint32_t>;

// One interpolated row. heavy/light: the copied rows of the row's phase (the
// colour weights 2 : 1); same: the row giving a green site its own column;
// diag: the row of the other phase next to it.
template <class S, bool kEvenColour>
ORVEX_ROW_KERNEL void InterpolatedRow(uint8_t* out, const uint8_t* heavy, const uint8_t* light,
                                      const uint8_t* same, const uint8_t* diag, size_t w,
                                      size_t n) {
    using A = Acc<S>;
    auto colour = [&](size_t c) {
        return A((A(2) * A(S::Load(heavy, c)) + A(S::Load(light, c)) + 2) / 3);
    };
    auto green = [&](size_t c) {
        return A((A(S::Load(diag, c - 1)) + A(S::Load(same, c)) + A(S::Load(diag, c + 1)) + 2) / 3);
    };
    // Middle sites of both runs: columns 2 .. 2n + 1, one of each kind per pair.
    for (size_t c = 2; c < 2 * n + 2; c += 2) {
        if constexpr (kEvenColour) {
            S::Store(out, c, colour(c));
            S::Store(out, c + 1, green(c + 1));
        } else {
            S::Store(out, c, green(c));
            S::Store(out, c + 1, colour(c + 1));
        }
    }
    // First sites: the colour site takes the value two columns to its right.
    const size_t cp = kEvenColour ? 0 : 1, gp = 1 - cp;
    S::Store(out, cp, colour(cp + 2));
    S::Store(out, gp, (S::Load(same, gp) + 2 * S::Load(diag, gp + 1) + 2) / 3);
    // Last sites: column 2n + 2 always, column 2n + 3 for even widths.
    for (size_t c = 2 * n + 2; c < w; ++c) {
        if ((c % 2 == cp))
            S::Store(out, c, colour(c));
        else
            S::Store(out, c, (S::Load(same, c) + 2 * S::Load(diag, c - 1) + 2) / 3);
    }
}

using RowFn = void (*)(uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*,
                       size_t, size_t);

using BorderFn = void (*)(uint8_t*, uint16_t, uint16_t, uint16_t);

template <class S>
void InterpolateRows(uint8_t* dst, uint16_t width, uint16_t height, uint32_t pattern,
                     BorderFn colourCornerBorder, BorderFn greenCornerBorder) {
    if (width < 5 || height < 6 || pattern > BGGR) return;
    const size_t w = width, h = height;
    const size_t n = (w + (w & 1) - 4) / 2;
    const size_t row = w * S::kBytes;
    const bool colourCorner = pattern == RGGB || pattern == BGGR;
    // Even-phase rows hold colour sites at even columns for colour-corner
    // patterns; odd-phase rows the other way round.
    const RowFn evenPhase = colourCorner ? InterpolatedRow<S, true> : InterpolatedRow<S, false>;
    const RowFn oddPhase = colourCorner ? InterpolatedRow<S, false> : InterpolatedRow<S, true>;
    auto at = [&](size_t r) { return dst + r * row; };
    for (size_t r = 2; r + 3 <= h; r += 4)  // rows 4k + 2: lean on the row two above
        evenPhase(at(r), at(r - 2), at(r + 2), at(r - 2), at(r + 1), w, n);
    for (size_t r = 5; r + 3 <= h; r += 4)  // rows 4k + 1: lean on the row two below
        oddPhase(at(r), at(r + 2), at(r - 2), at(r + 2), at(r - 1), w, n);
    (colourCorner ? colourCornerBorder : greenCornerBorder)(dst, width, height,
                                                            static_cast<uint16_t>(n));
}

}  // namespace

void ZoomInterpolateRows8(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern) {
    InterpolateRows<Sample8>(dstData, width, height, pattern, ZoomBorderColourCorner8,
                             ZoomBorderGreenCorner8);
}

void ZoomInterpolateRows16(uint8_t* dstData, uint16_t width, uint16_t height, uint32_t pattern) {
    InterpolateRows<Sample16>(dstData, width, height, pattern, ZoomBorderColourCorner16,
                              ZoomBorderGreenCorner16);
}

}  // namespace orvex
