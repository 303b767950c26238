// Vector kernels for a block row pair written as packed pixels of three
// bytes (BGR24, RGB24) or four (BGRA32, ARGB32), by instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/kernel_table.h"

namespace orvex {

// Writes the pixels of cells from column first (even) on, in whole vectors
// below column end (the even width), and returns the first column left to
// the caller. rowT, rowB: the cell rows; out, below: pixel 0 of the pair's
// two output rows, which take the same pixels. 16-bit rows and pixels are
// byte addresses. Four-byte pixels: out and
// below are the first channel byte of pixel 0, the three channel bytes
// follow it, and the fourth byte of every pixel is neither read nor written.
using BlockPairRowFn = size_t (*)(const uint8_t* rowT, const uint8_t* rowB, size_t first,
                                  size_t end, uint8_t* out, uint8_t* below);

// One instruction set's kernels by [colour corner][top colour in the
// pixel's first sample]; null where the set has none. triple16: 16-bit
// mosaics into RGB48.
struct BlockRowSet {
    BlockPairRowFn triple[2][2];
    BlockPairRowFn quad[2][2];
    BlockPairRowFn triple16[2][2];
};

extern const BlockRowSet kBlockRowsSsse3, kBlockRowsAvx2, kBlockRowsAvx512, kBlockRowsNeon;

// The chains of one call.
struct BlockRowKernels {
    KernelChain<BlockPairRowFn> triple, quad, triple16;
};

BlockRowKernels ChooseBlockRows(SimdFeatures level, bool colourCorner, bool topFirst);

}  // namespace orvex
