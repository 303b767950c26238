// The runs of a fused bilinear row besides its edge columns: pixels
// through the pack stage one site at a time, and the vector kernels'
// chain, or their streaming form.
#pragma once

#include <algorithm>
#include <cstddef>

#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/bilinear/bilinear_rows.h"
#include "methods/bilinear/bilinear_sites.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Pixels of a row handled per chunk; their channel values live on the stack.
constexpr size_t kChunk = 256;

// Frame pixels x0 .. x0 + count - 1 of an interior row, kFirst at x0 and
// the kinds alternating from there, through the pack stage into region
// pixels x0 - regionX on. u, c, d: the frame rows; values: a vector kernel
// of the pixels' channel values (8-bit rows), or null.
template <class S, SiteKind kFirst, SiteKind kSecond>
ORVEX_INLINE void ScalarRun(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                            size_t count, size_t regionX, const PackPlan& pack, const PackRow& row,
                            BilinearValuesFn values) {
    uint16_t r[kChunk], g[kChunk], b[kChunk];
    constexpr bool kColourFirst = kFirst == RedSite || kFirst == BlueSite;
    constexpr bool kRed = kFirst == RedSite || kFirst == GreenOnRedRow;
    // kChunk is even, so every chunk starts with kFirst.
    for (const size_t end = x0 + count; x0 < end; x0 += kChunk) {
        const size_t n = end - x0 < kChunk ? end - x0 : kChunk;
        // Pairs from pixel i on, one site at a time.
        auto sites = [&](size_t i) {
            for (; i + 1 < n; i += 2) {
                SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
                SiteValues<S, kSecond>(u, c, d, x0 + i + 1, r[i + 1], g[i + 1], b[i + 1]);
            }
            if (i < n) SiteValues<S, kFirst>(u, c, d, x0 + i, r[i], g[i], b[i]);
        };
        // Without a vector kernel the loop starts at a known 0, as the
        // compiler vectorises it best.
        if (values != nullptr)
            sites(values(u, c, d, x0, n, kColourFirst, kRed, r, g, b));
        else
            sites(0);
        pack.Put(row, x0 - regionX, n, r, g, b);
    }
}

// Columns of the widest vector step of any row kernel (64, AVX-512's
// opaque pixels); every kernel's step divides it.
constexpr size_t kTailColumns = 64;

// The vector kernels over region columns from .. (their reads below
// `width`), into `out` by the kernel chain, or, where `stream` is not null,
// from the first column whose pixel starts a 64-byte line of the row by
// streaming stores: the chain's first step writes the columns before it
// (and a few of the streamed ones, the same values), and the chain the
// columns its steps leave. Returns the first column left. u, c, d: the
// region rows' column 0.
ORVEX_INLINE size_t VectorRun(const KernelChain<BilinearRowFn>& vectors, BilinearRowFn stream,
                              const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t from,
                              size_t width, uint8_t* out) {
    auto chain = [&](size_t x, size_t limit) {
        return vectors.Run(x,
                           [&](BilinearRowFn f, size_t at) { return f(u, c, d, at, limit, out); });
    };
    if (stream == nullptr) return chain(from, width);
    // Four-byte pixels: a line every 16 columns, at even columns where the
    // row starts on an 8-byte boundary.
    const size_t line = (64 - uintptr_t(out + 4 * from) % 64) % 64 / 4;
    const size_t aligned = from + line;
    if (uintptr_t(out) % 8 != 0 || aligned + kTailColumns + 1 > width) return chain(from, width);
    size_t x = line == 0 ? from : chain(from, std::min(width, from + kTailColumns + 1));
    if (x < aligned) return x;
    x = std::max(x, stream(u, c, d, aligned, width, out));
    return chain(x, width);
}

}  // namespace
}  // namespace orvex
