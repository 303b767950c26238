// Samples beyond a frame's edges, read by reflection about the edge sample
// (x = -1 reads 1, x = -2 reads 2, x = n reads n - 2), which keeps the
// colour pattern of a mosaic.
#pragma once

#include <algorithm>
#include <cstddef>

#include "core/image_view.h"
#include "core/samples.h"

namespace orvex {

// A coordinate of any distance beyond an edge of n samples, reflected as
// often as it takes.
inline size_t MirrorIndex(ptrdiff_t i, size_t n) {
    if (n == 1) return 0;
    const ptrdiff_t period = 2 * ptrdiff_t(n) - 2;
    ptrdiff_t m = i % period;
    if (m < 0) m += period;
    return size_t(m < ptrdiff_t(n) ? m : period - m);
}

// Frame row `row` (any integer) into out[0 .. count - 1]: entry k holds frame
// column left + k, both reflected where they lie beyond the frame. Columns
// inside the frame go in one plain loop, the reflected ones apart.
template <class S, class T>
ORVEX_INLINE void LoadMirroredRow(const SourceView& f, ptrdiff_t row, ptrdiff_t left, size_t count,
                                  T* out) {
    const uint8_t* src = f.Row(MirrorIndex(row, f.height));
    const size_t first = std::min(count, left >= 0 ? size_t(0) : size_t(-left));
    const size_t inside = std::max(first, std::min(count, size_t(ptrdiff_t(f.width) - left)));
    for (size_t k = 0; k < first; ++k)
        out[k] = T(S::Load(src, MirrorIndex(left + ptrdiff_t(k), f.width)));
    const size_t column = size_t(left + ptrdiff_t(first));  // of entry `first`
    for (size_t k = 0; k < inside - first; ++k) out[first + k] = T(S::Load(src, column + k));
    for (size_t k = inside; k < count; ++k)
        out[k] = T(S::Load(src, MirrorIndex(left + ptrdiff_t(k), f.width)));
}

// Asks the cache for the frame columns of what LoadMirroredRow(f, row,
// left, count) will read, a row the caller reads later: a stage that loads a
// block of rows at once otherwise waits on memory for each of them. Reads
// nothing (a hint the processor may drop).
template <class S>
ORVEX_INLINE void PrefetchMirroredRow(const SourceView& f, ptrdiff_t row, ptrdiff_t left,
                                      size_t count) {
#if defined(__GNUC__)
    const uint8_t* src = f.Row(MirrorIndex(row, f.height));
    const size_t first = size_t(std::max<ptrdiff_t>(left, 0));
    const size_t end = size_t(std::clamp<ptrdiff_t>(left + ptrdiff_t(count), 0, f.width));
    for (size_t b = first * S::kBytes; b < end * S::kBytes; b += 64) __builtin_prefetch(src + b);
    if (end > first) __builtin_prefetch(src + end * S::kBytes - 1);
#else
    (void)f, (void)row, (void)left, (void)count;
#endif
}

// The same row split by column parity: entry k goes to even[k / 2] when k
// is even, to odd[k / 2] when it is odd, for k in 0 .. 2 * half - 1.
template <class S, class T>
ORVEX_INLINE void LoadMirroredHalves(const SourceView& f, ptrdiff_t row, ptrdiff_t left,
                                     size_t half, T* __restrict even, T* __restrict odd) {
    const uint8_t* src = f.Row(MirrorIndex(row, f.height));
    auto at = [&](size_t k) { return T(S::Load(src, MirrorIndex(left + ptrdiff_t(k), f.width))); };
    // Pairs whose both columns lie inside the frame go in one plain loop.
    const size_t first = std::min(half, left >= 0 ? size_t(0) : (size_t(-left) + 1) / 2);
    const ptrdiff_t insidePairs = (ptrdiff_t(f.width) - left) / 2;
    const size_t end = std::max(first, std::min(half, size_t(std::max<ptrdiff_t>(0, insidePairs))));
    for (size_t i = 0; i < first; ++i) even[i] = at(2 * i), odd[i] = at(2 * i + 1);
    const size_t column = size_t(left + ptrdiff_t(2 * first));  // of pair `first`
    for (size_t i = 0; i < end - first; ++i) {
        even[first + i] = T(S::Load(src, column + 2 * i));
        odd[first + i] = T(S::Load(src, column + 2 * i + 1));
    }
    for (size_t i = end; i < half; ++i) even[i] = at(2 * i), odd[i] = at(2 * i + 1);
}

}  // namespace orvex
