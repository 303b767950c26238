from typing import Optional

import dask.array as da
import numpy.typing as npt

REACH: int

def demosaic(
    mosaic: da.Array,
    pattern: str = ...,
    method: str = ...,
    layout: str = ...,
    dtype: Optional[npt.DTypeLike] = ...,
    **options: object,
) -> da.Array: ...
