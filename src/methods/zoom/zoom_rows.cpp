// Fused form of the zoom's interpolation pass: each interpolated row is one
// pass over its alternating colour and green sites. Every site is computed
// once with the formulas of the run kernels and reads copied rows only, so
// the order of the writes does not change the result (the four run-kernel
// calls are the plain form, kept with the tests). Rows are reached through
// the views' strides.
#include <cstddef>
#include <type_traits>

#include "core/samples.h"
#include "core/stream_copy.h"
#include "methods/zoom/bayer_zoom.h"
#include "methods/zoom/zoom_middle_sites.h"

namespace orvex {
namespace {

// Sums of three 8-bit samples fit 16 bits, which halves the vector lanes' width.
template <class S>
using Acc = std::conditional_t<S::kBytes == 1, uint16_t, uint32_t>;

// One interpolated row. heavy/light: the copied rows of the row's phase (the
// colour weights 2 : 1); heavy also gives a green site its own column;
// diag: the row of the other phase next to it.
template <class S, bool kEvenColour>
void InterpolatedRow(uint8_t* out, const uint8_t* heavy, const uint8_t* light, const uint8_t* diag,
                     size_t w, size_t n, const KernelChain<ZoomMiddleFn>& middle) {
    using A = Acc<S>;
    auto colour = [&](size_t c) {
        return A((A(2) * A(S::Load(heavy, c)) + A(S::Load(light, c)) + 2) / 3);
    };
    auto green = [&](size_t c) {
        return A((A(S::Load(diag, c - 1)) + A(S::Load(heavy, c)) + A(S::Load(diag, c + 1)) + 2) /
                 3);
    };
    // Middle sites of both runs: columns 2 .. 2n + 1, in (colour, green)
    // pairs from the first colour column; whole vectors first, the rest
    // site by site. With colour at odd columns, column 2 is green and
    // column 2n + 1 a colour site without its pair.
    const size_t cp = kEvenColour ? 0 : 1, gp = 1 - cp, end = 2 * n + 2;
    if (!kEvenColour) S::Store(out, 2, green(2));
    size_t c = middle.Run(2 + cp, [&](ZoomMiddleFn f, size_t first) {
        return f(out, heavy, light, diag, first, end);
    });
    for (; c + 1 < end; c += 2) {
        S::Store(out, c, colour(c));
        S::Store(out, c + 1, green(c + 1));
    }
    if (c < end) S::Store(out, c, colour(c));
    // First sites: the colour site takes the value two columns to its right.
    S::Store(out, cp, colour(cp + 2));
    S::Store(out, gp, (S::Load(heavy, gp) + 2 * S::Load(diag, gp + 1) + 2) / 3);
    // Last sites: column 2n + 2 always, column 2n + 3 for even widths.
    for (c = end; c < w; ++c) {
        if ((c % 2 == cp))
            S::Store(out, c, colour(c));
        else
            S::Store(out, c, (S::Load(heavy, c) + 2 * S::Load(diag, c - 1) + 2) / 3);
    }
}

using RowFn = void (*)(uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, size_t, size_t,
                       const KernelChain<ZoomMiddleFn>&);

// Runs the phase kernels on the interpolated rows 4k - 2 and 4k + 1 once the
// copied rows they read (4k - 4 .. 4k + 3) are in place. Without a source,
// the copied rows are already in the destination.
template <class S>
void ZoomPass(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride,
              size_t width, size_t height, uint32_t pattern, ZoomBorderFn colourCornerBorder,
              ZoomBorderFn greenCornerBorder, SimdFeatures level) {
    const size_t w = width, h = height;
    const size_t rowBytes = w * S::kBytes;
    const bool interpolate = width >= 5 && height >= 6 && pattern <= kBggr;
    const size_t n = interpolate ? (w + (w & 1) - 4) / 2 : 0;
    const bool colourCorner = pattern == kRggb || pattern == kBggr;
    // Even-phase rows hold colour sites at even columns for colour-corner
    // patterns; odd-phase rows the other way round.
    const RowFn evenPhase = colourCorner ? InterpolatedRow<S, true> : InterpolatedRow<S, false>;
    const RowFn oddPhase = colourCorner ? InterpolatedRow<S, false> : InterpolatedRow<S, true>;
    auto at = [&](size_t r) { return dst + ptrdiff_t(r) * dstStride; };
    // The interpolated rows read the copied rows from the source where there
    // is one (rows 4k and 4k + 3 are source rows 2k and 2k + 1), so nothing
    // reads the destination back: it is written as one stream, row after
    // row, and large outputs may bypass the caches.
    auto copied = [&](size_t r) {
        return src != nullptr ? src + ptrdiff_t(r / 2) * srcStride : at(r);
    };
    const bool streaming = src != nullptr && h * rowBytes >= StreamingOutputBytes();
    const auto copy = streaming ? StreamCopy : CopyRow;
    // Between streamed copies the 512-bit kernels measured slower than the
    // 256-bit ones (and faster in every other case).
    const KernelChain<ZoomMiddleFn> middle =
        ChooseZoomMiddle(streaming ? level.Without(Isa::Avx512) : level, S::kBytes == 2);
    for (size_t r = 0; r < h; ++r) {
        const size_t phase = r % 4;
        if (phase == 0 || phase == 3) {
            if (src != nullptr) copy(at(r), copied(r), rowBytes);
        } else if (interpolate && r + 3 <= h) {
            if (phase == 2)  // rows 4k + 2: lean on the row two above
                evenPhase(at(r), copied(r - 2), copied(r + 2), copied(r + 1), w, n, middle);
            else if (r >= 5)  // rows 4k + 1: lean on the row two below
                oddPhase(at(r), copied(r + 2), copied(r - 2), copied(r - 1), w, n, middle);
        }
    }
    if (streaming) StreamFence();
    if (interpolate)
        (colourCorner ? colourCornerBorder : greenCornerBorder)(dst, dstStride, width, height, n);
}

template <class S>
void Zoom(const uint8_t* src, ptrdiff_t srcStride, const ImageView& dst, SimdFeatures level) {
    const bool wide = S::kBytes == 2;
    ZoomPass<S>(src, srcStride, dst.data, dst.stride, dst.width, dst.height, dst.pattern,
                wide ? ZoomBorderColourCorner16 : ZoomBorderColourCorner8,
                wide ? ZoomBorderGreenCorner16 : ZoomBorderGreenCorner8, level);
}

}  // namespace

void ZoomVertical(const SourceView& src, const ImageView& dst, SimdFeatures level) {
    if (src.format == kFormatMosaic16)
        Zoom<Sample16>(src.data, src.stride, dst, level);
    else
        Zoom<Sample8>(src.data, src.stride, dst, level);
}

void ZoomInterpolateRows(const ImageView& dst, SimdFeatures level) {
    if (dst.format == kFormatMosaic16)
        Zoom<Sample16>(nullptr, 0, dst, level);
    else
        Zoom<Sample8>(nullptr, 0, dst, level);
}

KernelChain<ZoomMiddleFn> ChooseZoomMiddle(SimdFeatures level, bool wide) {
    static const KernelImpl<ZoomMiddleSet> kSets[] = {{Isa::Avx512, &kZoomMiddleAvx512},
                                                      {Isa::Avx2, &kZoomMiddleAvx2},
                                                      {Isa::Sse2, &kZoomMiddleSse2},
                                                      {Isa::Neon, &kZoomMiddleNeon}};
    return ChainOf(kSets, level,
                   [&](const ZoomMiddleSet& s) { return wide ? s.sites16 : s.sites8; });
}

}  // namespace orvex
