import os
from typing import Literal, Optional, Sequence

import numpy as np
import numpy.typing as npt

from ._names import Layout, Method, MosaicFormat, Pattern

__version__: str

def demosaic(
    raw: npt.ArrayLike,
    pattern: Pattern = ...,
    method: Method = ...,
    layout: Layout = ...,
    bits: Optional[int] = ...,
    threads: int = ...,
    out: Optional[np.ndarray] = ...,
    dtype: Optional[npt.DTypeLike] = ...,
    width: Optional[int] = ...,
    height: Optional[int] = ...,
    format: Optional[MosaicFormat] = ...,
    *,
    stride: Optional[int] = ...,
    black: Sequence[int] = ...,
    white: int = ...,
    gain: Sequence[float] = ...,
    matrix: Sequence[float] = ...,
    transfer: Literal["linear", "srgb"] = ...,
    alpha: int = ...,
    full_range: bool = ...,
) -> np.ndarray: ...
def demosaic_region(
    raw: npt.ArrayLike,
    x: int,
    y: int,
    width: int,
    height: int,
    *,
    pattern: Pattern = ...,
    method: Method = ...,
    layout: Layout = ...,
    bits: Optional[int] = ...,
    threads: int = ...,
    out: Optional[np.ndarray] = ...,
    dtype: Optional[npt.DTypeLike] = ...,
    raw_width: Optional[int] = ...,
    raw_height: Optional[int] = ...,
    format: Optional[MosaicFormat] = ...,
    stride: Optional[int] = ...,
    black: Sequence[int] = ...,
    white: int = ...,
    gain: Sequence[float] = ...,
    matrix: Sequence[float] = ...,
    transfer: Literal["linear", "srgb"] = ...,
    alpha: int = ...,
    full_range: bool = ...,
) -> np.ndarray: ...
def zoom_vertical(raw: npt.ArrayLike, pattern: Pattern = ..., bits: Optional[int] = ...) -> np.ndarray: ...
def unpack(
    raw: npt.ArrayLike,
    width: int,
    height: int,
    format: MosaicFormat,
    *,
    pattern: Pattern = ...,
    threads: int = ...,
    bits: Optional[int] = ...,
    stride: Optional[int] = ...,
    black: Sequence[int] = ...,
    white: int = ...,
    gain: Sequence[float] = ...,
) -> np.ndarray: ...
def methods() -> list[str]: ...
def patterns() -> list[str]: ...
def layouts() -> list[str]: ...
def formats() -> list[str]: ...
def mosaic(rgb: npt.ArrayLike, pattern: Pattern = ...) -> np.ndarray: ...

class RawFrame:
    mosaic: np.ndarray
    pattern: str
    bits: int
    black: list[int]
    white: int
    as_shot_wb: list[float]
    daylight_wb: list[float]
    camera_to_srgb: np.ndarray
    orientation: int
    make: str
    model: str
    def develop(
        self,
        method: Method = ...,
        wb: str | Sequence[float] = ...,
        dtype: npt.DTypeLike = ...,
        black: Optional[Sequence[int]] = ...,
        white: Optional[int] = ...,
        matrix: bool = ...,
        linear: bool = ...,
        rotate: bool = ...,
        threads: int = ...,
    ) -> np.ndarray: ...

def read_raw(path: str | os.PathLike[str]) -> RawFrame: ...
