// The row loop of the gradient-corrected demosaic, included by the file of
// each build that compiles it (portable and AVX2 builds of one body).
//
// The five source rows a row reads are kept widened to 16 bits and padded
// by two reflected samples on each side, so one loop serves every column,
// the frame's edges included. Every column computes the sums its kernels
// share, then all four kernels, and keeps the two its site needs: a fixed
// amount of branch-free integer work per pixel, which vectorises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/mirror.h"
#include "core/samples.h"
#include "methods/mhc/mhc_demosaic.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Pixels of a row computed per chunk; their values live on the stack.
constexpr size_t kMhcChunk = 256;

// Sums in the narrowest lanes that hold them: 16 bits for 8-bit samples
// (the largest sum, 40 x 255, is far inside), 32 bits otherwise.
template <class A>
ORVEX_INLINE A Limited(A v, A maxValue) {
    const A low = v > 0 ? v : A(0);
    return low < maxValue ? low : maxValue;
}

// a where the mask is all ones, b where it is zero: a select without a branch.
template <class A>
ORVEX_INLINE A Pick(A mask, A a, A b) {
    return A((a & mask) | (b & ~mask));
}

// Pixels 0 .. n - 1 of a row from its padded rows p[0] .. p[4] (rows -2 ..
// +2; entry k + 2 is pixel k). Colour sites sit where (k + phase) is even;
// own: the row's colour channel, other: the other colour's.
template <class A>
ORVEX_INLINE void MhcPixels(const uint16_t* __restrict p0, const uint16_t* __restrict p1,
                            const uint16_t* __restrict p2, const uint16_t* __restrict p3,
                            const uint16_t* __restrict p4, size_t n, size_t phase, A maxValue,
                            uint16_t* __restrict own, uint16_t* __restrict green,
                            uint16_t* __restrict other) {
    for (size_t k = 0; k < n; ++k) {
        const A c = A(p2[k + 2]);
        const A h1 = A(p2[k + 1] + p2[k + 3]), h2 = A(p2[k] + p2[k + 4]);
        const A v1 = A(p1[k + 2] + p3[k + 2]), v2 = A(p0[k + 2] + p4[k + 2]);
        const A d = A(p1[k + 1] + p1[k + 3] + p3[k + 1] + p3[k + 3]);
        const A greenAtColour = A(A(4 * c + 2 * (h1 + v1) - (h2 + v2) + 4) >> 3);
        const A otherAtColour = A(A(12 * c + 4 * d - 3 * (h2 + v2) + 8) >> 4);
        const A ownAtGreen = A(A(10 * c + 8 * h1 - 2 * h2 - 2 * d + v2 + 8) >> 4);
        const A otherAtGreen = A(A(10 * c + 8 * v1 - 2 * v2 - 2 * d + h2 + 8) >> 4);
        const A colour = A(A((k + phase) & 1) - 1);  // all ones at colour sites
        own[k] = uint16_t(Pick(colour, c, Limited(ownAtGreen, maxValue)));
        green[k] = uint16_t(Pick(colour, Limited(greenAtColour, maxValue), c));
        other[k] = uint16_t(Limited(Pick(colour, otherAtColour, otherAtGreen), maxValue));
    }
}

template <class S>
ORVEX_INLINE void MhcRows(const Conversion& job, MhcMemory& memory, SimdLevel level) {
    const SourceView& f = job.frame;
    const size_t w = job.dst.width, h = job.dst.height, padded = w + 4;
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || f.width < 2 || f.height < 2 || f.pattern > kBggr) return;
    const int32_t maxValue = int32_t(job.maxValue);
    // Ring slot of logical row r (any integer): rows y - 2 .. y + 2 of the
    // output row y are always in five different slots.
    auto slot = [&](ptrdiff_t r) {
        return memory.rows.data() + size_t(((r % 5) + 5) % 5) * padded;
    };
    const ptrdiff_t y0 = ptrdiff_t(job.y);
    for (ptrdiff_t r = y0 - 2; r <= y0 + 1; ++r)
        LoadMirroredRow<S>(f, r, ptrdiff_t(job.x) - 2, padded, slot(r));
    // Red sits at column p & 1 of row p >> 1 of the pattern's cell.
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    uint16_t own[kMhcChunk], green[kMhcChunk], other[kMhcChunk];
    for (size_t y = 0; y < h; ++y) {
        const ptrdiff_t fy = y0 + ptrdiff_t(y);
        LoadMirroredRow<S>(f, fy + 2, ptrdiff_t(job.x) - 2, padded, slot(fy + 2));
        const bool isRedRow = (size_t(fy) & 1) == redRow;
        // The row's colour sites: red's column on a red row, the other on a blue one.
        const size_t colourColumn = isRedRow ? redColumn : 1 - redColumn;
        const size_t phase = (job.x + colourColumn) & 1;
        const PackRow row = pack.Row(y);
        for (size_t k0 = 0; k0 < w; k0 += kMhcChunk) {
            const size_t n = w - k0 < kMhcChunk ? w - k0 : kMhcChunk;
            using A = std::conditional_t<S::kBytes == 1, int16_t, int32_t>;
            MhcPixels<A>(slot(fy - 2) + k0, slot(fy - 1) + k0, slot(fy) + k0, slot(fy + 1) + k0,
                         slot(fy + 2) + k0, n, (k0 + phase) & 1, A(maxValue), own, green, other);
            if (isRedRow)
                pack.Put(row, k0, n, own, green, other);
            else
                pack.Put(row, k0, n, other, green, own);
        }
    }
}

}  // namespace
}  // namespace orvex

// The rows of one build (portable or an instruction set's target).
#define ORVEX_MHC_SET(Name, TARGET)                                               \
    namespace {                                                                   \
    TARGET void Rows(const Conversion& job, MhcMemory& memory, SimdLevel level) { \
        if (job.frame.format == kFormatMosaic16)                                  \
            MhcRows<Sample16>(job, memory, level);                                \
        else                                                                      \
            MhcRows<Sample8>(job, memory, level);                                 \
    }                                                                             \
    }                                                                             \
    extern const MhcSet Name = {Rows};
