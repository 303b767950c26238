// Pack kernels of every colour layout, generated from the layout table;
// included by the file of each build that compiles them (portable, and AVX2
// where the compiler vectorises the interleaving stores with it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "core/formats.h"
#include "core/samples.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// The output never overlaps the values (they live in the method's working
// memory), which the compiler must know to vectorise byte stores past them.
template <uint32_t kFormat, bool kAlpha>
ORVEX_INLINE void PackLayoutRow(const PackRow& row, size_t first, size_t n,
                                const uint16_t* __restrict r, const uint16_t* __restrict g,
                                const uint16_t* __restrict b, uint16_t alpha) {
    constexpr ChannelLayout kLayout = kLayoutOf<kFormat>;
    using S = std::conditional_t<kLayout.sampleBytes == 2, Sample16, Sample8>;
    if constexpr (kLayout.planar) {
        // Each plane row is one run: three plain loops.
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.r], first + k, r[k]);
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.g], first + k, g[k]);
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.b], first + k, b[k]);
    } else {
        constexpr size_t kStep = kLayout.step;
        uint8_t* __restrict const px = row.at[0];
        for (size_t k = 0; k < n; ++k) {
            const size_t at = (first + k) * kStep;
            S::Store(px, at + kLayout.r, r[k]);
            S::Store(px, at + kLayout.g, g[k]);
            S::Store(px, at + kLayout.b, b[k]);
            if constexpr (kAlpha && kLayout.alpha >= 0)
                S::Store(px, at + size_t(kLayout.alpha), alpha);
        }
    }
}

}  // namespace
}  // namespace orvex

// The kernels of one build (portable, or an instruction set's target), one
// pair per row of the layout table.
#define ORVEX_PACK_SET(Name, TARGET)                                                      \
    namespace {                                                                           \
    template <uint32_t kFormat, bool kAlpha>                                              \
    TARGET void PackKernel(const PackRow& row, size_t first, size_t n, const uint16_t* r, \
                           const uint16_t* g, const uint16_t* b, uint16_t alpha) {        \
        PackLayoutRow<kFormat, kAlpha>(row, first, n, r, g, b, alpha);                    \
    }                                                                                     \
    template <size_t... kIndex>                                                           \
    constexpr PackSet MakePackSet(std::index_sequence<kIndex...>) {                       \
        return {{{PackKernel<kFirstColourFormat + kIndex, false>,                         \
                  PackKernel<kFirstColourFormat + kIndex, true>}...}};                    \
    }                                                                                     \
    }                                                                                     \
    extern const PackSet Name = MakePackSet(std::make_index_sequence<kColourLayoutCount>());
