"""Bayer mosaics to colour images, fast and exact: the orvex library's second interface.

Arrays go in and come out without copies where their rows are strided and their samples
adjacent; conversions release the GIL, so Python threads convert in parallel.
"""

import numpy as np

from ._orvex import (
    __version__,
    demosaic,
    demosaic_region,
    formats,
    layouts,
    methods,
    patterns,
    unpack,
    zoom_vertical,
)
from .raw import RawFrame, read_raw

__all__ = [
    "RawFrame",
    "read_raw",
    "__version__",
    "demosaic",
    "demosaic_region",
    "formats",
    "layouts",
    "methods",
    "mosaic",
    "patterns",
    "unpack",
    "zoom_vertical",
]



def mosaic(rgb, pattern="RGGB"):
    """Sample a colour image through a Bayer colour filter.

    The inverse of :func:`demosaic`, for tests and evaluation.

    Parameters
    ----------
    rgb : numpy.ndarray
        H x W x 3 array of uint8 or uint16 samples, R, G, B.
    pattern : str
        Colours of the top-left 2 x 2 cell, row by row ("RGGB", "grbg", ...).

    Returns
    -------
    numpy.ndarray
        H x W array of the same dtype: each pixel's sample of its filter's colour.
    """
    rgb = np.asarray(rgb)
    if rgb.ndim != 3 or rgb.shape[2] != 3:
        raise ValueError("an image to sample is H x W x 3")
    if rgb.dtype not in (np.uint8, np.uint16):
        raise TypeError("samples are uint8 or uint16")
    names = patterns()
    if not isinstance(pattern, str) or pattern.upper() not in names:
        raise ValueError(f"pattern: one of {', '.join(names)}, not {pattern!r}")
    code = names.index(pattern.upper())
    red_row, red_column = code >> 1, code & 1
    out = rgb[:, :, 1].copy()
    out[red_row::2, red_column::2] = rgb[red_row::2, red_column::2, 0]
    out[1 - red_row :: 2, 1 - red_column :: 2] = rgb[1 - red_row :: 2, 1 - red_column :: 2, 2]
    return out
