// Vector kernels for the interior of a fused bilinear row written as packed
// pixels (BGR24, RGB24, RGB48, BGRA32, ARGB32), by instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/kernel_table.h"

namespace orvex {

// Writes the pixels of columns first, first + 1, ... in whole vectors while
// their neighbours stay inside the row (column width - 1 at most), and
// returns the first column left to the caller. first is even. u, c, d: the
// rows above, at and below; out: the output row's pixel 0 (four-byte
// pixels: its first channel byte; the fourth byte of every pixel is neither
// read nor written). 16-bit rows are byte addresses.
using BilinearRowFn = size_t (*)(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t first,
                                 size_t width, uint8_t* out);

// One row's kinds: a colour kind (red or blue sites) and the green kind of
// that row, with the colour sites at even or at odd columns.
struct BilinearRowKinds {
    bool redRow;
    bool evenColour;
};

// One instruction set's kernels by [red row][even colour][R, G, B order in
// the pixel (else B, G, R)]; null where the set has none. quad8Opaque: the
// four-byte pixels whole, their fourth byte 0xff (alpha after the channels).
struct BilinearRowSet {
    BilinearRowFn triple8[2][2][2];
    BilinearRowFn triple16[2][2][2];
    BilinearRowFn quad8[2][2][2];
    BilinearRowFn quad8Opaque[2][2][2];
};

extern const BilinearRowSet kBilinearRowsSsse3, kBilinearRowsAvx2, kBilinearRowsAvx512,
    kBilinearRowsNeon;

enum class BilinearPixels { Triple8, Triple16, Quad8, Quad8Opaque };

KernelChain<BilinearRowFn> ChooseBilinearRow(SimdFeatures level, BilinearPixels pixels,
                                             BilinearRowKinds kinds, bool redFirst);

// The opaque four-byte kernels by streaming stores, for large outputs, by
// [red row][even colour][red first]; out + 4 x must be a multiple of 64 at
// the first column x. Only the widest sets have them.
using BilinearStreamRows = BilinearRowFn[2][2][2];
extern const BilinearStreamRows kBilinearStreamRowsAvx512;
BilinearRowFn ChooseBilinearStreamRow(SimdFeatures level, BilinearRowKinds kinds, bool redFirst);

// The opaque four-byte pixels of 64 columns at a frame's edge column and
// its neighbours, their neighbour beyond the edge read by reflection: x is
// the first column (the frame's column 0 at the left, 64 before the end of
// the row at the right); u, c, d and out as for BilinearRowFn. By [red
// row][even colour][red first]; only the widest sets have them.
using BilinearEdgeFn = void (*)(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x,
                                uint8_t* out);
using BilinearEdgeRows = BilinearEdgeFn[2][2][2];
extern const BilinearEdgeRows kBilinearEdgeRowsAvx512[2];  // by [right edge]
BilinearEdgeFn ChooseBilinearEdgeRow(SimdFeatures level, bool right, BilinearRowKinds kinds,
                                     bool redFirst);

// The channel values of rows for the pack stage to convert: pixels
// x0 .. x0 + n - 1 of an interior row (their neighbours inside the row)
// into r, g, b, in whole vectors from x0 on; returns how many it wrote (an
// even count). colourFirst: x0 is a red or blue site; red: the row's colour
// sites are red. 16-bit rows are byte addresses.
using BilinearValuesFn = size_t (*)(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x0,
                                    size_t n, bool colourFirst, bool red, uint16_t* r, uint16_t* g,
                                    uint16_t* b);
extern const BilinearValuesFn kBilinearValuesAvx512[2];  // by [16-bit samples]

// The widest such kernel at a level for samples of `sampleBytes`, or null.
BilinearValuesFn ChooseBilinearValues(SimdFeatures level, size_t sampleBytes);

}  // namespace orvex
