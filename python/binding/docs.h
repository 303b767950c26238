// The functions' help texts.
#ifndef ORVEX_PYTHON_DOCS_H
#define ORVEX_PYTHON_DOCS_H

namespace orvex_python {

inline constexpr const char* kDemosaicDoc =
    R"(demosaic(raw, pattern="RGGB", method="bilinear", layout="RGB", bits=None, threads=0, out=None, dtype=None, width=None, height=None, format=None, *, stride=None, black=None, white=None, gain=None, matrix=None, transfer=None, alpha=None)

Convert a Bayer mosaic into a colour image.

Parameters
----------
raw : numpy.ndarray or bytes-like
    H x W uint8 or uint16 samples (rows may be strided or reversed), or with
    ``format`` a buffer of rows in that format.
pattern : str
    Colours of the top-left 2 x 2 cell, one of ``patterns()``, any case.
method : str
    One of ``methods()``.
layout : str
    One of ``layouts()``: "RGB", "BGR", "RGBA", "BGRA", "ARGB", "planar", "gray", ...
bits : int, optional
    Significant bits of the samples (uint16: 9..16; bit-packed formats: their own).
threads : int
    0: one per core; 1: the calling thread only; N: at most N.
out : numpy.ndarray, optional
    Written in place: its shape and dtype must be the result's.
dtype : numpy.dtype, optional
    uint8, uint16 or float32 (values 0..1) output samples; by default the input's width.
width, height, format, stride : optional
    The size, format (one of ``formats()``) and row stride in bytes of a buffer of rows.
black, white, gain, matrix, transfer, alpha : optional
    Camera corrections: black levels (1 or 4, per site), saturation level, white balance
    (R, G, B or 4 per site), a 3 x 3 colour matrix (9 values, row-major), the transfer
    curve ("linear" or "srgb"), and the alpha of four-channel layouts.

Returns
-------
numpy.ndarray
    H x W x 3 (x 4 for four-channel layouts), 3 x H x W for "planar", H x W for "gray".

Raises
------
TypeError, ValueError
    An argument of the wrong type or out of its range, named in the message; nothing is written.
MemoryError
    A copy of the mosaic or the output could not be had.
)";

inline constexpr const char* kRegionDoc =
    R"(demosaic_region(raw, x, y, width, height, *, pattern="RGGB", method="bilinear", layout="RGB", bits=None, threads=0, out=None, dtype=None, raw_width=None, raw_height=None, format=None, stride=None, black=None, white=None, gain=None, matrix=None, transfer=None, alpha=None)

Convert one region of a Bayer mosaic: the pixels the whole conversion gives there.

Parameters
----------
raw : numpy.ndarray or bytes-like
    The whole mosaic, as for ``demosaic``.
x, y : int
    The region's top-left pixel in the mosaic; any parity (the colour phase follows).
width, height : int
    The region's size, at least 1 x 1.
raw_width, raw_height : int, optional
    The size of a buffer given with ``format``.
pattern, method, layout, bits, threads, out, dtype, format, stride, camera keywords
    As for ``demosaic``.

Returns
-------
numpy.ndarray
    The region, shaped as ``demosaic`` shapes a whole image.
)";

inline constexpr const char* kZoomDoc = R"(zoom_vertical(raw, pattern="RGGB", bits=None)

Double the rows of a Bayer mosaic, interpolating the rows between site by site.

Returns
-------
numpy.ndarray
    A 2H x W mosaic of the same dtype and pattern.
)";

inline constexpr const char* kUnpackDoc =
    R"(unpack(raw, width, height, format, *, pattern="RGGB", threads=0, bits=None, stride=None, black=None, white=None, gain=None)

Unpack a buffer of camera rows into 16-bit samples, with black, white and gains applied as
in ``demosaic``.

Returns
-------
numpy.ndarray
    H x W uint16 samples of the format's significant bits.
)";

}  // namespace orvex_python

#endif
