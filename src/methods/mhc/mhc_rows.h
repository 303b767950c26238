// The row loop of the gradient-corrected demosaic, included by the file of
// each build that compiles it (portable and AVX2 builds of one body).
//
// The five source rows a row reads are kept widened to 16 bits, padded by
// reflected samples, and split by column parity: a pixel and its right
// neighbour form a pair, one a colour site and one a green site, and each
// half of the pair reads its neighbours from the split rows with plain
// consecutive loads. So each site computes only the two kernels it needs:
// a fixed amount of branch-free integer work per pair, which vectorises.
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

// The sums the kernels of a site share: the sample, its horizontal
// neighbours at distance 1 and 2, the vertical ones, and the diagonal ones.
template <class A>
struct MhcSums {
    A c, h1, h2, v1, v2, d;
};

// One padded source row split by parity: even[i] is entry 2i, odd[i] entry
// 2i + 1.
struct MhcSplitRow {
    const uint16_t* even;
    const uint16_t* odd;
};

// Pairs 0 .. pairs - 1 of a row from the parity halves e and o of its split
// rows (rows -2 .. +2), from the pair's left neighbour on: pair t is pixels
// 2t (at e[t + 1]) and 2t + 1 (at o[t + 1]); the neighbours of the first
// are o[t] and o[t + 1], those of the second e[t + 1] and e[t + 2].
// Colour sites are the pairs' first pixels when kColourFirst; own: the
// row's colour channel, other: the other colour's.
template <class A, bool kColourFirst>
ORVEX_INLINE void MhcPairs(const uint16_t* __restrict e0, const uint16_t* __restrict e1,
                           const uint16_t* __restrict e2, const uint16_t* __restrict e3,
                           const uint16_t* __restrict e4, const uint16_t* __restrict o0,
                           const uint16_t* __restrict o1, const uint16_t* __restrict o2,
                           const uint16_t* __restrict o3, const uint16_t* __restrict o4,
                           size_t pairs, A maxValue, uint16_t* __restrict own,
                           uint16_t* __restrict green, uint16_t* __restrict other) {
    for (size_t t = 0; t < pairs; ++t) {
        const MhcSums<A> first = {A(e2[t + 1]),
                                  A(o2[t] + o2[t + 1]),
                                  A(e2[t] + e2[t + 2]),
                                  A(e1[t + 1] + e3[t + 1]),
                                  A(e0[t + 1] + e4[t + 1]),
                                  A(o1[t] + o1[t + 1] + o3[t] + o3[t + 1])};
        const MhcSums<A> second = {A(o2[t + 1]),
                                   A(e2[t + 1] + e2[t + 2]),
                                   A(o2[t] + o2[t + 2]),
                                   A(o1[t + 1] + o3[t + 1]),
                                   A(o0[t + 1] + o4[t + 1]),
                                   A(e1[t + 1] + e1[t + 2] + e3[t + 1] + e3[t + 2])};
        const MhcSums<A>& colour = kColourFirst ? first : second;
        const MhcSums<A>& g = kColourFirst ? second : first;
        const A greenAtColour =
            A(A(4 * colour.c + 2 * (colour.h1 + colour.v1) - (colour.h2 + colour.v2) + 4) >> 3);
        const A otherAtColour =
            A(A(12 * colour.c + 4 * colour.d - 3 * (colour.h2 + colour.v2) + 8) >> 4);
        const A ownAtGreen = A(A(10 * g.c + 8 * g.h1 - 2 * g.h2 - 2 * g.d + g.v2 + 8) >> 4);
        const A otherAtGreen = A(A(10 * g.c + 8 * g.v1 - 2 * g.v2 - 2 * g.d + g.h2 + 8) >> 4);
        const size_t ci = 2 * t + (kColourFirst ? 0 : 1), gi = 2 * t + (kColourFirst ? 1 : 0);
        own[ci] = uint16_t(colour.c);
        green[ci] = uint16_t(Limited(greenAtColour, maxValue));
        other[ci] = uint16_t(Limited(otherAtColour, maxValue));
        own[gi] = uint16_t(Limited(ownAtGreen, maxValue));
        green[gi] = uint16_t(g.c);
        other[gi] = uint16_t(Limited(otherAtGreen, maxValue));
    }
}

// The pairs of a row as the portable loop computes them; a build with its
// own vector form of MhcPairs names that in place of this.
struct MhcLoopPairs {
    template <class A, bool kColourFirst>
    static ORVEX_INLINE void Run(const uint16_t* const* e, const uint16_t* const* o, size_t pairs,
                                 A maxValue, uint16_t* own, uint16_t* green, uint16_t* other) {
        MhcPairs<A, kColourFirst>(e[0], e[1], e[2], e[3], e[4], o[0], o[1], o[2], o[3], o[4], pairs,
                                  maxValue, own, green, other);
    }
};

template <class S, class Pairs>
ORVEX_INLINE void MhcRows(const Conversion& job, MhcMemory& memory, const PackPlan& pack) {
    const SourceView& f = job.frame;
    const size_t w = job.dst.width, h = job.dst.height, half = MhcHalfRow(w);
    if (!pack.Valid() || f.width < 2 || f.height < 2 || f.pattern > kBggr) return;
    const int32_t maxValue = int32_t(job.maxValue);
    // Ring slot of logical row r (any integer): rows y - 2 .. y + 2 of the
    // output row y are always in five different slots.
    auto even = [&](ptrdiff_t r) {
        return memory.rows.data() + size_t(((r % 5) + 5) % 5) * 2 * half;
    };
    auto slot = [&](ptrdiff_t r) { return MhcSplitRow{even(r), even(r) + half}; };
    auto load = [&](ptrdiff_t r) {
        LoadMirroredHalves<S>(f, r, ptrdiff_t(job.x) - 2, half, even(r), even(r) + half);
    };
    const ptrdiff_t y0 = ptrdiff_t(job.y);
    for (ptrdiff_t r = y0 - 2; r <= y0 + 1; ++r) load(r);
    // Red sits at column p & 1 of row p >> 1 of the pattern's cell.
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    uint16_t own[kMhcChunk], green[kMhcChunk], other[kMhcChunk];
    using A = std::conditional_t<S::kBytes == 1, int16_t, int32_t>;
    for (size_t y = 0; y < h; ++y) {
        const ptrdiff_t fy = y0 + ptrdiff_t(y);
        load(fy + 2);
        const bool isRedRow = (size_t(fy) & 1) == redRow;
        // The row's colour sites: red's column on a red row, the other on a blue one.
        const size_t colourColumn = isRedRow ? redColumn : 1 - redColumn;
        const bool colourFirst = ((job.x + colourColumn) & 1) == 0;
        const PackRow row = pack.Row(job.dst, y);
        for (size_t k0 = 0; k0 < w; k0 += kMhcChunk) {
            const size_t n = w - k0 < kMhcChunk ? w - k0 : kMhcChunk, t0 = k0 / 2;
            const uint16_t *e[5], *o[5];
            for (ptrdiff_t i = 0; i < 5; ++i) {
                const MhcSplitRow s = slot(fy - 2 + i);
                e[i] = s.even + t0, o[i] = s.odd + t0;
            }
            const size_t pairs = (n + 1) / 2;
            if (colourFirst)
                Pairs::template Run<A, true>(e, o, pairs, A(maxValue), own, green, other);
            else
                Pairs::template Run<A, false>(e, o, pairs, A(maxValue), own, green, other);
            if (isRedRow)
                pack.Put(row, k0, n, own, green, other);
            else
                pack.Put(row, k0, n, other, green, own);
        }
    }
}

}  // namespace
}  // namespace orvex

// The rows of one build (portable or an instruction set's target), with
// the pairs of the portable loop or of the build's own Pairs.
#define ORVEX_MHC_SET_OF(Name, TARGET, Pairs)                                          \
    namespace {                                                                        \
    template <class S>                                                                 \
    TARGET void Rows(const Conversion& job, MhcMemory& memory, const PackPlan& pack) { \
        MhcRows<S, Pairs>(job, memory, pack);                                          \
    }                                                                                  \
    }                                                                                  \
    extern const MhcSet Name = {Rows<Sample8>, Rows<Sample16>};
#define ORVEX_MHC_SET(Name, TARGET) ORVEX_MHC_SET_OF(Name, TARGET, MhcLoopPairs)
