// Middle-site kernels of an interpolated zoom row, by instruction set:
// colour sites (2 x heavy + light + 2) / 3 and green sites (diag left +
// heavy + diag right + 2) / 3, alternating by column.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/kernel_table.h"

namespace orvex {

// Writes columns first, first + 1, ... in whole vectors of (colour, green)
// pairs while they stay below end, and returns the first column left to the
// caller, of first's parity. first is a colour column: the colour sites are
// first, first + 2, ..., the green sites between them. heavy also gives a
// green site its own column; every read lies in columns first - 1 .. end.
// 16-bit rows are byte addresses of 16-bit samples; columns count samples.
using ZoomMiddleFn = size_t (*)(uint8_t* out, const uint8_t* heavy, const uint8_t* light,
                                const uint8_t* diag, size_t first, size_t end);

// One instruction set's kernels for 8- and 16-bit samples.
struct ZoomMiddleSet {
    ZoomMiddleFn sites8, sites16;
};

extern const ZoomMiddleSet kZoomMiddleSse2, kZoomMiddleAvx2, kZoomMiddleAvx512, kZoomMiddleNeon;

KernelChain<ZoomMiddleFn> ChooseZoomMiddle(SimdFeatures level, bool wide);

}  // namespace orvex
