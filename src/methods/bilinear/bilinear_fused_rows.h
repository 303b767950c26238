// Fused form of the bilinear demosaic, included by the file of each build
// that compiles it (portable and AVX2 builds of one body): each interior row
// is one pass over its two alternating site kinds. Every pixel is written
// once from the same neighbours and means as in the four phase passes of the
// plain form (kept with the tests), so the order of the writes does not
// change the result.
#pragma once

#include <cstddef>

#include "core/image_view.h"
#include "core/samples.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/bilinear/bilinear_rows.h"
#include "pack/pack_rows.h"

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
// alternating from there, through the pack stage.
template <class S, SiteKind kFirst, SiteKind kSecond>
ORVEX_INLINE void ScalarRun(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                            size_t count, const PackPlan& pack, const PackRow& row) {
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
        pack.Put(row, x0, n, r, g, b);
    }
}

// One interior row: kinds kOdd at odd columns, kEven at even columns.
// Packed RGB / BGR pixels, of three or four bytes, go through the vector
// kernels from column 2 on; vectorOut is the pixels' first channel byte.
template <class S, SiteKind kOdd, SiteKind kEven>
ORVEX_INLINE void FusedRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t w,
                           const PackPlan& pack, const PackRow& row,
                           const KernelChain<BilinearRowFn>& vectors, uint8_t* vectorOut) {
    size_t x = 1;
    if (!vectors.Empty()) {
        const size_t next = vectors.Run(
            2, [&](BilinearRowFn f, size_t first) { return f(u, c, d, first, w, vectorOut); });
        if (next > 2) {
            ScalarRun<S, kOdd, kEven>(u, c, d, 1, 1, pack, row);
            x = next;
        }
    }
    if (x & 1)
        ScalarRun<S, kOdd, kEven>(u, c, d, x, w - 1 - x, pack, row);
    else
        ScalarRun<S, kEven, kOdd>(u, c, d, x, w - 1 - x, pack, row);
}

// The vector kernels' view of each kind order.
constexpr BilinearRowKinds kComboKinds[4] = {
    {false, false}, {false, true}, {true, true}, {true, false}};

// Kind order of the odd and of the even rows, by pattern.
constexpr uint8_t kRowCombos[4][2] = {
    {2, 0},  // RGGB: even rows G on R row / R, odd rows B / G on B row
    {3, 1},  // GRBG
    {0, 2},  // GBRG
    {1, 3},  // BGGR
};

using FusedRowFn = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, size_t, const PackPlan&,
                            const PackRow&, const KernelChain<BilinearRowFn>&, uint8_t*);

// The rows of one call; combos: the row kernels of the four kind orders.
template <class S>
ORVEX_INLINE void FusedRows(const FusedRowFn (&combos)[4], const SourceView& src,
                            const PackPlan& pack, SimdLevel level) {
    const size_t width = src.width, height = src.height;
    if (src.pattern > kBggr || width < 3 || height < 3) return;
    const ChannelLayout& layout = pack.Layout();
    // Packed pixels of three samples, or of four bytes, with green in the
    // middle take the vector kernels.
    const size_t firstChannel = layout.r < layout.b ? layout.r : layout.b;
    const bool quad = layout.step == 4 && S::kBytes == 1;
    const bool vectorLayout =
        !layout.planar && (layout.step == 3 || quad) && layout.g == firstChannel + 1;
    const BilinearPixels pixels = quad             ? BilinearPixels::Quad8
                                  : S::kBytes == 1 ? BilinearPixels::Triple8
                                                   : BilinearPixels::Triple16;
    const uint8_t* rowCombos = kRowCombos[src.pattern];
    KernelChain<BilinearRowFn> vectors[2];
    if (vectorLayout)
        for (size_t i = 0; i < 2; ++i)
            vectors[i] = ChooseBilinearRow(level, pixels, kComboKinds[rowCombos[i]],
                                           layout.r == firstChannel);
    const size_t offset = firstChannel * S::kBytes;
    for (size_t y = 1; y + 1 < height; ++y) {
        const uint8_t* c = src.data + ptrdiff_t(y) * src.stride;
        const PackRow row = pack.Row(y);
        combos[rowCombos[y & 1]](c - src.stride, c, c + src.stride, width, pack, row,
                                 vectors[y & 1], row.at[0] + offset);
    }
}

}  // namespace

// The kernels of one build (portable or an instruction set's target): row
// kernels for the four kind orders, and the drivers of both sample widths.
#define ORVEX_BILINEAR_FUSED_SET(Name, TARGET)                                       \
    namespace {                                                                      \
    template <class S, SiteKind kOdd, SiteKind kEven>                                \
    TARGET void Row(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t w,  \
                    const PackPlan& pack, const PackRow& row,                        \
                    const KernelChain<BilinearRowFn>& vectors, uint8_t* vectorOut) { \
        FusedRow<S, kOdd, kEven>(u, c, d, w, pack, row, vectors, vectorOut);         \
    }                                                                                \
    /* The two kinds of a row always come in one of four orders. */                  \
    template <class S>                                                               \
    constexpr FusedRowFn kCombos[4] = {                                              \
        Row<S, BlueSite, GreenOnBlueRow>, Row<S, GreenOnBlueRow, BlueSite>,          \
        Row<S, GreenOnRedRow, RedSite>, Row<S, RedSite, GreenOnRedRow>};             \
    template <class S>                                                               \
    TARGET void Rows(const SourceView& src, const PackPlan& pack, SimdLevel level) { \
        FusedRows<S>(kCombos<S>, src, pack, level);                                  \
    }                                                                                \
    }                                                                                \
    extern const BilinearFusedSet Name = {Rows<Sample8>, Rows<Sample16>};

}  // namespace orvex
