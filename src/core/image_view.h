// An image as the core sees it: rows anywhere in memory, each reached
// through the stride, with 32-bit sizes. Nothing in the core assumes that
// rows are packed; the interfaces describe their buffers as views.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// Format codes of the core. The eight exports use the same numbers for the
// thirteen they know; the later ones are the second interface's.
enum FormatCode : uint32_t {
    kFormatRaw8 = 0,
    kFormatRaw16 = 1,
    kFormatMono8 = 2,
    kFormatMono16 = 3,
    kFormatMosaic8 = 4,
    kFormatMosaic16 = 5,
    kFormatPlanarRgb24 = 6,
    kFormatPlanarRgb48 = 7,
    kFormatBgr24 = 8,
    kFormatArgb32 = 9,
    kFormatRgb48 = 10,
    kFormatBgra32 = 11,
    kFormatRgb24 = 12,
    kFormatRgba32 = 13,
    kFormatGray8 = 14,
    kFormatGray16 = 15,
    // Packed mosaics of the second interface (no whole bytes per pixel).
    kFormatMosaic10Mipi = 16,
    kFormatMosaic12Mipi = 17,
    kFormatMosaic14Mipi = 18,
    kFormatMosaic10Pfnc = 19,
    kFormatMosaic12Pfnc = 20,
    kFormatMosaic12Gige = 21,
};

// Colours of a mosaic's top-left 2 x 2 cell, row by row.
enum PatternCode : uint32_t { kRggb = 0, kGrbg = 1, kGbrg = 2, kBggr = 3 };

template <class Byte>
struct View {
    Byte* data;             // first byte of row 0 (planar layouts: of the first plane)
    ptrdiff_t stride;       // bytes from one row start to the next; negative: bottom-up
    ptrdiff_t planeStride;  // planar layouts: bytes from one plane to the next
    uint32_t width, height;
    uint32_t format;   // FormatCode
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
