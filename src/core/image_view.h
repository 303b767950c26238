// An image as the core sees it: rows anywhere in memory, each reached
// through the stride, with 32-bit sizes. Nothing in the core assumes that
// rows are contiguous; the interfaces describe their buffers as views.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/formats.h"

namespace orvex {

template <class Byte>
struct View {
    Byte* data;             // first byte of row 0 (planar layouts: of the first plane)
    ptrdiff_t stride;       // bytes from one row start to the next; negative: bottom-up
    ptrdiff_t planeStride;  // planar layouts: bytes from one plane to the next
    uint32_t width, height;
    uint32_t format;   // FormatCode (core/formats.h)
    uint32_t pattern;  // mosaics: colours of the top-left 2 x 2 cell, 0 RGGB .. 3 BGGR
    // The row `data` holds: a source whose rows are prepared a strip at a
    // time holds rows firstRow on, and is read only there; every other view
    // holds them all from row 0.
    ptrdiff_t firstRow = 0;

    Byte* Row(size_t y) const { return data + (ptrdiff_t(y) - firstRow) * stride; }
};

using ImageView = View<uint8_t>;         // written
using SourceView = View<const uint8_t>;  // read only

}  // namespace orvex
