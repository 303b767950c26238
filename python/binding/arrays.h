// numpy arrays and bytes-like buffers as the interface's image views.
#ifndef ORVEX_PYTHON_ARRAYS_H
#define ORVEX_PYTHON_ARRAYS_H

#include "settings.h"

namespace orvex_python {

// A mosaic view and the object that keeps its samples alive.
struct Mosaic {
    orvex_image image{};
    py::object keep;
    uint32_t bits = 8;  // significant bits of a sample
};

// A 2-D uint8 or uint16 array (rows may be strided or reversed; arrays whose
// samples are not adjacent or whose rows repeat are copied), or with
// `format` a buffer of rows of width x height samples of that format (stored or
// bit-packed) every `stride` bytes.
Mosaic ReadMosaic(const py::object& raw, const Settings& s);

// A w x h output of the call's layout and dtype: a new array, or the
// caller's `out` (dtype, shape and strides checked), described in `image`.
py::array Output(const Settings& s, const OutputFormat& format, size_t w, size_t h,
                 orvex_image& image);

// The output's sample bits: dtype, else the source's width.
uint32_t OutputBits(const Settings& s, const Mosaic& m);

// Raises what a status means: MemoryError or ValueError with the library's text.
void Check(int status);

}  // namespace orvex_python

#endif
