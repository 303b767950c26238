// Pack kernels of every colour layout, generated from the layout table;
// included by the file of each build that compiles them (portable, and AVX2
// where the compiler vectorises the interleaving stores with it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/formats.h"
#include "core/samples.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Floats of a float layout's row: each value divided by `largest`, not
// rounded; grey is the luma of the undivided values. T: the methods'
// samples, or the colour stage's values (largest 1).
template <size_t kRow, class T>
ORVEX_INLINE void PackFloatRow(const PackRow& row, size_t first, size_t n, const T* __restrict r,
                               const T* __restrict g, const T* __restrict b, float largest) {
    constexpr ChannelLayout kLayout = kFormats[kRow].layout;
    auto store = [](uint8_t* __restrict px, size_t i, float v) { std::memcpy(px + 4 * i, &v, 4); };
    if constexpr (kLayout.grey) {
        uint8_t* __restrict const px = row.at[0];
        const float lumaLargest = 16384 * largest;
        for (size_t k = 0; k < n; ++k)
            store(px, first + k,
                  (4899 * float(r[k]) + 9617 * float(g[k]) + 1868 * float(b[k])) / lumaLargest);
    } else if constexpr (kLayout.planar) {
        for (size_t k = 0; k < n; ++k) store(row.at[kLayout.r], first + k, float(r[k]) / largest);
        for (size_t k = 0; k < n; ++k) store(row.at[kLayout.g], first + k, float(g[k]) / largest);
        for (size_t k = 0; k < n; ++k) store(row.at[kLayout.b], first + k, float(b[k]) / largest);
    } else {
        constexpr size_t kStep = kLayout.step;
        uint8_t* __restrict const px = row.at[0];
        for (size_t k = 0; k < n; ++k) {
            const size_t at = (first + k) * kStep;
            store(px, at + kLayout.r, float(r[k]) / largest);
            store(px, at + kLayout.g, float(g[k]) / largest);
            store(px, at + kLayout.b, float(b[k]) / largest);
        }
    }
}

// Full-range widening. v * 65535 / M is never a half, which would need
// 2 v 65535 = (2k + 1) M, an even number equal to an odd one (M is odd); so
// the nearest half lies at least 1 / (2 M) away, far beyond the error of a
// double product below 2^16, and the rounding is exact. Values above M
// (none the methods give) saturate.
ORVEX_INLINE void WidenSamples(const uint16_t* __restrict in, size_t n, double scale,
                               uint16_t* __restrict out) {
    for (size_t k = 0; k < n; ++k) {
        const double v = double(in[k]) * scale + 0.5;
        out[k] = uint16_t(int32_t(v < 65535.0 ? v : 65535.0));
    }
}

// The output never overlaps the values (they live in the method's working
// memory), which the compiler must know to vectorise byte stores past them.
template <size_t kRow, bool kAlpha, bool kNarrow>
ORVEX_INLINE void PackLayoutRow(const PackRow& row, size_t first, size_t n,
                                const uint16_t* __restrict r, const uint16_t* __restrict g,
                                const uint16_t* __restrict b, const PackValues& values) {
    constexpr ChannelLayout kLayout = kFormats[kRow].layout;
    using S = std::conditional_t<kLayout.sampleBytes == 2, Sample16, Sample8>;
    const uint32_t round = values.round, shift = values.shift;
    auto out = [&](uint32_t v) {
        if constexpr (!kNarrow) return v;
        return Narrowed(v, round, shift);
    };
    if constexpr (kLayout.grey) {
        // Luma in 14-bit fixed point, of the samples an RGB output would hold.
        uint8_t* __restrict const px = row.at[0];
        for (size_t k = 0; k < n; ++k)
            S::Store(px, first + k,
                     (4899 * out(r[k]) + 9617 * out(g[k]) + 1868 * out(b[k]) + 8192) >> 14);
    } else if constexpr (kLayout.planar) {
        // Each plane row is one run: three plain loops.
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.r], first + k, out(r[k]));
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.g], first + k, out(g[k]));
        for (size_t k = 0; k < n; ++k) S::Store(row.at[kLayout.b], first + k, out(b[k]));
    } else {
        constexpr size_t kStep = kLayout.step;
        uint8_t* __restrict const px = row.at[0];
        for (size_t k = 0; k < n; ++k) {
            const size_t at = (first + k) * kStep;
            S::Store(px, at + kLayout.r, out(r[k]));
            S::Store(px, at + kLayout.g, out(g[k]));
            S::Store(px, at + kLayout.b, out(b[k]));
            if constexpr (kAlpha && kLayout.alpha >= 0)
                S::Store(px, at + size_t(kLayout.alpha), values.alpha);
        }
    }
}

}  // namespace
}  // namespace orvex

// The kernels of one build (portable, or an instruction set's target), one
// pair per output row of the format table; null for the other rows. Body:
// a template of PackLayoutRow's parameters that packs an integer row.
#define ORVEX_PACK_SET_OF(Name, TARGET, Body)                                                 \
    namespace {                                                                               \
    template <size_t kRow, bool kAlpha, bool kNarrow>                                         \
    TARGET void PackKernel(const PackRow& row, size_t first, size_t n, const uint16_t* r,     \
                           const uint16_t* g, const uint16_t* b, const PackValues& values) {  \
        if constexpr (kFormats[kRow].layout.sampleBytes == 4)                                 \
            PackFloatRow<kRow>(row, first, n, r, g, b, values.largest);                       \
        else                                                                                  \
            Body<kRow, kAlpha, kNarrow>(row, first, n, r, g, b, values);                      \
    }                                                                                         \
    template <size_t kRow, bool kAlpha, bool kNarrow>                                         \
    constexpr PackRowFn PackKernelOf() {                                                      \
        if constexpr (kFormats[kRow].role == FormatRole::Output)                              \
            return PackKernel<kRow, kAlpha, kNarrow>;                                         \
        return nullptr;                                                                       \
    }                                                                                         \
    template <size_t kRow>                                                                    \
    TARGET void PackFloatKernel(const PackRow& row, size_t first, size_t n, const float* r,   \
                                const float* g, const float* b) {                             \
        PackFloatRow<kRow>(row, first, n, r, g, b, 1.0f);                                     \
    }                                                                                         \
    template <size_t kRow>                                                                    \
    constexpr PackFloatFn PackFloatKernelOf() {                                               \
        if constexpr (kFormats[kRow].role == FormatRole::Output &&                            \
                      kFormats[kRow].layout.sampleBytes == 4)                                 \
            return PackFloatKernel<kRow>;                                                     \
        return nullptr;                                                                       \
    }                                                                                         \
    TARGET void Widen(const uint16_t* in, size_t n, double scale, uint16_t* out) {            \
        WidenSamples(in, n, scale, out);                                                      \
    }                                                                                         \
    template <size_t... kRow>                                                                 \
    constexpr PackSet MakePackSet(std::index_sequence<kRow...>) {                             \
        return {{{{PackKernelOf<kRow, false, false>(), PackKernelOf<kRow, false, true>()},    \
                  {PackKernelOf<kRow, true, false>(), PackKernelOf<kRow, true, true>()}}...}, \
                {PackFloatKernelOf<kRow>()...},                                               \
                Widen};                                                                       \
    }                                                                                         \
    }                                                                                         \
    extern const PackSet Name = MakePackSet(std::make_index_sequence<kFormatRowCount>());

#define ORVEX_PACK_SET(Name, TARGET) ORVEX_PACK_SET_OF(Name, TARGET, PackLayoutRow)
