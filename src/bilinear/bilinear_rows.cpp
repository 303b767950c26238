// Fused form of the bilinear demosaic: each interior row is one pass over its
// two alternating site kinds. Every pixel is written once from the same
// neighbours and means as in the four phase passes of the plain form (kept
// with the tests), so the order of the writes does not change the result.
#include <cstddef>

#include "bilinear/bilinear_demosaic.h"
#include "bilinear/bilinear_vector_rows.h"
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
ORVEX_ROW_KERNEL void FusedRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t w,
                               uint8_t* outR, uint8_t* outG, uint8_t* outB) {
    const PackedPixels packed = PackedPixelsOf(outR, outG, outB, S::kBytes);
    size_t x = 1;
    constexpr bool kQuad = kStep == 4 && S::kBytes == 1;
    if ((kStep == 3 || kQuad) && packed.base != nullptr && packed.lane[1] == 1) {
        constexpr bool kRedRow = kOdd == RedSite || kEven == RedSite;
        constexpr BilinearRowKinds kinds{kRedRow, kEven == RedSite || kEven == BlueSite};
        const auto vectorRow = kQuad            ? BilinearVectorQuadRow8
                               : S::kBytes == 1 ? BilinearVectorRow8
                                                : BilinearVectorRow16;
        const size_t next = vectorRow(u, c, d, 2, w, packed.base, packed.lane[0] == 0, kinds);
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

using RowFn = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, size_t, uint8_t*, uint8_t*,
                       uint8_t*);

// The two kinds of a row always come in one of four orders.
template <class S, size_t kStep>
constexpr RowFn kCombos[4] = {
    FusedRow<S, BlueSite, GreenOnBlueRow, kStep>, FusedRow<S, GreenOnBlueRow, BlueSite, kStep>,
    FusedRow<S, GreenOnRedRow, RedSite, kStep>, FusedRow<S, RedSite, GreenOnRedRow, kStep>};

// Combo of the odd and of the even rows, by pattern.
constexpr uint8_t kRowCombos[4][2] = {
    {2, 0},  // RGGB: even rows G on R row / R, odd rows B / G on B row
    {3, 1},  // GRBG
    {0, 2},  // GBRG
    {1, 3},  // BGGR
};

template <class S>
void FusedRows(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
               size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
               uint8_t step) {
    const RowFn* combos = step == 1   ? kCombos<S, 1>
                          : step == 3 ? kCombos<S, 3>
                          : step == 4 ? kCombos<S, 4>
                                      : nullptr;
    if (combos == nullptr) return;  // no layout has another step
    for (size_t y = 1; y + 1 < height; ++y) {
        const uint8_t* c = src + ptrdiff_t(y) * srcStride;
        const ptrdiff_t o = ptrdiff_t(y) * dstStride;
        combos[kRowCombos[pattern][y & 1]](c - srcStride, c, c + srcStride, width, r + o, g + o,
                                           b + o);
    }
}

}  // namespace

void BilinearRows8(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                   size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                   uint8_t step) {
    if (pattern > kBggr || width < 3 || height < 3) return;
    FusedRows<Sample8>(pattern, src, srcStride, width, height, r, g, b, dstStride, step);
}

void BilinearRows16(uint32_t pattern, const uint8_t* src, ptrdiff_t srcStride, size_t width,
                    size_t height, uint8_t* r, uint8_t* g, uint8_t* b, ptrdiff_t dstStride,
                    uint8_t step) {
    if (pattern > kBggr || width < 3 || height < 3) return;
    FusedRows<Sample16>(pattern, src, srcStride, width, height, r, g, b, dstStride, step);
}

}  // namespace orvex
