import os
from typing import Optional, Sequence, Union

import dask.array as da
import dask.bag as db
import numpy.typing as npt

from ._names import Layout, Method, Pattern

REACH: int

def demosaic(
    mosaic: da.Array,
    pattern: Pattern = ...,
    method: Method = ...,
    layout: Layout = ...,
    dtype: Optional[npt.DTypeLike] = ...,
    **options: object,
) -> da.Array: ...
def develop(
    paths: Sequence[Union[str, os.PathLike]],
    out_dir: Union[str, os.PathLike],
    format: str = ...,
    force: bool = ...,
    **options: object,
) -> db.Bag: ...
