// Fused form of the bilinear demosaic, included by the file of each
// instruction set that compiles it (portable and AVX2 builds of one body): each interior row is one
// pass over its two alternating site kinds. Every pixel is written once from the same neighbours
// and means as in the four phase passes of the plain form (kept with the tests), so the order of
// the writes does not change the result.
#pragma once

#include <cstddef>

#include "bilinear/bilinear_demosaic.h"
#include "bilinear/bilinear_rows.h"
#include "core/image_view.h"
#include "core/samples.h"

namespace orvex {
namespace {

enum SiteKind { RedSite, BlueSite, GreenOnRedRow, GreenOnBlueRow };

// Pixels of a row handled per chunk; their channel values live on the stack.
constexpr size_t kChunk = 256;

// The channel values of one site of a kind, from the means it needs.
template <class S, SiteKind kKind>
ORVEX_INLINE void SiteValues(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x,
                             uint16_t& r, uint16_t& g, uint16_t& b) {
    const uint32_t l = S::Load(c, x - 1), rt = S::Load(c, x + 1);
    const uint32_t up = S::Load(u, x), down = S::Load(d, x);
    const auto centre = static_cast<uint16_t>(S::Load(c, x));
    if constexpr (kKind == RedSite || kKind == BlueSite) {
        const auto cross = static_cast<uint16_t>((l + rt + up + down + 2) >> 2);
        const auto diag = static_cast<uint16_t>(
            (S::Load(u, x - 1) + S::Load(u, x + 1) + S::Load(d, x - 1) + S::Load(d, x + 1) + 2) >>
            2);
        r = kKind == RedSite ? centre : diag;
        g = cross;
        b = kKind == RedSite ? diag : centre;
    } else {
        const auto horiz = static_cast<uint16_t>((l + rt + 1) >> 1);
        const auto vert = static_cast<uint16_t>((up + down + 1) >> 1);
        r = kKind == GreenOnRedRow ? horiz : vert;
        g = centre;
        b = kKind == GreenOnRedRow ? vert : horiz;
    }
}

// Pixels x0 .. x0 + count - 1 of an interior row, kFirst at x0 and the kinds
// alternating from there.
template <class S, SiteKind kFirst, SiteKind kSecond, size_t kStep>
ORVEX_INLINE void ScalarRun(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                            size_t count, uint8_t* outR, uint8_t* outG, uint8_t* outB,
                            const PackedPixels& packed) {
    uint16_t r[kChunk], g[kChunk], b[kChunk];
    // kChunk is even, so every chunk starts with kFirst.
    for (const size_t end = x0 + count; x0 < end; x0 += kChunk) {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        size_t i = 0;
        for (; i + 1 < n; i += 2) {
            SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
            SiteValues<S, kSecond>(u, c, d, x0 + i + 1, r[i + 1], g[i + 1], b[i + 1]);
        }
        if (i < n) SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
        const size_t at = x0 * kStep;
        if (kStep == 3 && packed.base != nullptr) {
            // One store stream of whole pixels instead of three strided ones.
            const uint16_t* const values[3] = {r, g, b};
            StorePackedPixels<S>(packed, x0, n, values);
            continue;
        }
        for (size_t k = 0; k < n; ++k) {
            S::Store(outR, at + k * kStep, r[k]);
            S::Store(outG, at + k * kStep, g[k]);
            S::Store(outB, at + k * kStep, b[k]);
        }
    }
}

// One interior row: kinds kOdd at odd columns, kEven at even columns. Packed
// RGB / BGR pixels, of three or four bytes, go through the vector kernels
// from column 2 on.
template <class S, SiteKind kOdd, SiteKind kEven, size_t kStep>
ORVEX_INLINE void FusedRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t w,
                           uint8_t* outR, uint8_t* outG, uint8_t* outB,
                           const KernelChain<BilinearRowFn>& vectors) {
    const PackedPixels packed = PackedPixelsOf(outR, outG, outB, S::kBytes);
    size_t x = 1;
    if (!vectors.Empty() && packed.base != nullptr) {
        const size_t next = vectors.Run(
            2, [&](BilinearRowFn f, size_t first) { return f(u, c, d, first, w, packed.base); });
        if (next > 2) {
            ScalarRun<S, kOdd, kEven, kStep>(u, c, d, 1, 1, outR, outG, outB, packed);
            x = next;
        }
    }
    if (x & 1)
        ScalarRun<S, kOdd, kEven, kStep>(u, c, d, x, w - 1 - x, outR, outG, outB, packed);
    else
        ScalarRun<S, kEven, kOdd, kStep>(u, c, d, x, w - 1 - x, outR, outG, outB, packed);
}

// The vector kernels' view of each combo.
constexpr BilinearRowKinds kComboKinds[4] = {
    {false, false}, {false, true}, {true, true}, {true, false}};

// Combo of the odd and of the even rows, by pattern.
constexpr uint8_t kRowCombos[4][2] = {
    {2, 0},  // RGGB: even rows G on R row / R, odd rows B / G on B row
    {3, 1},  // GRBG
    {0, 2},  // GBRG
    {1, 3},  // BGGR
};

// The vector kernels of a combo: packed pixels of three samples, or of four
// bytes, with green in the middle.
template <class S>
KernelChain<BilinearRowFn> VectorsOf(uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step,
                                     uint8_t combo, SimdLevel level) {
    const PackedPixels packed = PackedPixelsOf(r, g, b, S::kBytes);
    const bool quad = step == 4 && S::kBytes == 1;
    if ((step != 3 && !quad) || packed.base == nullptr || packed.lane[1] != 1) return {};
    const BilinearPixels pixels = quad             ? BilinearPixels::Quad8
                                  : S::kBytes == 1 ? BilinearPixels::Triple8
                                                   : BilinearPixels::Triple16;
    return ChooseBilinearRow(level, pixels, kComboKinds[combo], packed.lane[0] == 0);
}

using FusedRowFn = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, size_t, uint8_t*,
                            uint8_t*, uint8_t*, const KernelChain<BilinearRowFn>&);

// The rows of one call; combos: each step's (1, 3, 4) four row kernels.
template <class S>
ORVEX_INLINE void FusedRows(const FusedRowFn (*const combosByStep[3])[4], uint32_t pattern,
                            const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height,
                            uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride, uint8_t step,
                            SimdLevel level) {
    if (pattern > kBggr || width < 3 || height < 3) return;
    const size_t index = step == 1 ? 0 : step == 3 ? 1 : step == 4 ? 2 : 3;
    if (index == 3) return;  // no layout has another step
    const FusedRowFn* combos = *combosByStep[index];
    const uint8_t* rowCombos = kRowCombos[pattern];
    const KernelChain<BilinearRowFn> vectors[2] = {
        VectorsOf<S>(r, g, b, step, rowCombos[0], level),
        VectorsOf<S>(r, g, b, step, rowCombos[1], level)};
    for (size_t y = 1; y + 1 < height; ++y) {
        const uint8_t* c = src + ptrdiff_t(y) * srcStride;
        const ptrdiff_t o = ptrdiff_t(y) * dstStride;
        combos[rowCombos[y & 1]](c - srcStride, c, c + srcStride, width, r + o, g + o, b + o,
                                 vectors[y & 1]);
    }
}

}  // namespace

// The kernels of one build (portable or an instruction set's target): row
// kernels for the four kind orders of each step, and the two drivers.
#define ORVEX_BILINEAR_FUSED_SET(Name, TARGET)                                                     \
    namespace {                                                                                    \
    template <class S, SiteKind kOdd, SiteKind kEven, size_t kStep>                                \
    TARGET void Row(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t w, uint8_t* r,    \
                    uint8_t* g, uint8_t* b, const KernelChain<BilinearRowFn>& vectors) {           \
        FusedRow<S, kOdd, kEven, kStep>(u, c, d, w, r, g, b, vectors);                             \
    }                                                                                              \
    /* The two kinds of a row always come in one of four orders. */                                \
    template <class S, size_t kStep>                                                               \
    constexpr FusedRowFn kCombos[4] = {                                                            \
        Row<S, BlueSite, GreenOnBlueRow, kStep>, Row<S, GreenOnBlueRow, BlueSite, kStep>,          \
        Row<S, GreenOnRedRow, RedSite, kStep>, Row<S, RedSite, GreenOnRedRow, kStep>};             \
    template <class S>                                                                             \
    constexpr const FusedRowFn (*kCombosByStep[3])[4] = {&kCombos<S, 1>, &kCombos<S, 3>,           \
                                                         &kCombos<S, 4>};                          \
    template <class S>                                                                             \
    TARGET void Rows(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,      \
                     size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,       \
                     uint8_t step, SimdLevel level) {                                              \
        FusedRows<S>(kCombosByStep<S>, pattern, src, srcStride, width, height, r, g, b, dstStride, \
                     step, level);                                                                 \
    }                                                                                              \
    }                                                                                              \
    extern const BilinearFusedSet Name = {Rows<Sample8>, Rows<Sample16>};

}  // namespace orvex
