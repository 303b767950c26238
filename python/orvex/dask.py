"""Dask arrays of Bayer mosaics converted block by block on any scheduler.

Each output block is converted from its block of the mosaic and every
method's reach of neighbours around it (``REACH`` samples on each side, taken
from the adjacent blocks), the parts starting at even offsets so the
colour pattern keeps its phase: the assembled result equals :func:`orvex.demosaic` of the whole
mosaic byte for byte, whatever the chunking. :func:`develop` develops camera files on the
workers, one file a task.
"""

try:
    import dask.array as da
except ImportError as error:  # pragma: no cover - depends on the system
    raise ImportError(
        "orvex.dask needs dask (Debian: python3-dask; pip: dask[array])"
    ) from error

import numpy as np

import orvex

from . import develop_files

__all__ = ["REACH", "demosaic", "develop"]

# Neighbours on each side a block is converted with: no method reads farther
# (the widest, the directional estimation, reads 12 rows and columns).
REACH = 16


def _block(part, x, y, width, height, pattern, method, layout, dtype, options):
    return orvex.demosaic_region(
        np.asarray(part), x, y, width, height,
        pattern=pattern, method=method, layout=layout, dtype=dtype, threads=1, **options,
    )


def _local(method, dtype):
    """True when the method's pixels depend only on their neighbourhood (within REACH),
    not on the mosaic's size: a part of a mosaic then converts as the whole does there."""
    raw = np.random.default_rng(0).integers(0, 256, (6 * REACH + 1, 6 * REACH + 3))
    raw = raw.astype(dtype)
    whole = orvex.demosaic(raw, method=method)
    # A corner and a middle part of odd sizes, each with REACH neighbours inside.
    for top, size in ((0, 2 * REACH + 1), (2 * REACH, 2 * REACH - 1)):
        start = max(0, top - REACH)
        part = raw[start : top + size + REACH, start : top + size + REACH]
        got = orvex.demosaic_region(part, top - start, top - start, size, size, method=method)
        if not (got == whole[top : top + size, top : top + size]).all():
            return False
    return True


def demosaic(mosaic, pattern="RGGB", method="bilinear", layout="RGB", dtype=None, **options):
    """A lazy dask array of the conversion of a 2-D dask array of mosaic samples.

    Parameters
    ----------
    mosaic : dask.array.Array
        H x W uint8 or uint16 samples, in chunks of any size.
    pattern, method, layout, dtype, **options
        As for :func:`orvex.demosaic` (``bits``, ``black``, ``white``, ``gain``, ``matrix``,
        ``transfer``, ``alpha``); ``threads``, ``out`` and packed buffers are not taken.

    Returns
    -------
    dask.array.Array
        The output, chunked as the mosaic in rows and columns, channels in one chunk.
    """
    if not isinstance(mosaic, da.Array):
        raise TypeError(f"mosaic: a dask.array.Array, not {type(mosaic).__name__}")
    if mosaic.ndim != 2:
        raise ValueError(f"mosaic: a 2-D array, not {mosaic.ndim}-D")
    if mosaic.dtype not in (np.uint8, np.uint16):
        raise TypeError(f"mosaic: uint8 or uint16 samples, not {mosaic.dtype}")
    for key in ("threads", "out", "width", "height", "format", "stride"):
        if key in options:
            raise TypeError(f"{key}: not taken by orvex.dask.demosaic")
    if not isinstance(pattern, str):
        raise TypeError(f"pattern: a string, not {type(pattern).__name__}")
    # Every argument checked once, before anything is computed.
    probe = orvex.demosaic(np.zeros((2, 2), mosaic.dtype), pattern=pattern, method=method,
                           layout=layout, dtype=dtype, **options)
    planar = probe.ndim == 3 and probe.shape[0] == 3 and probe.shape[1:] == (2, 2)
    rows_axis, columns_axis = (1, 2) if planar else (0, 1)
    height, width = mosaic.shape
    # Methods whose pixels follow from the whole mosaic's size (the cubic
    # enlargements) read every block from the whole mosaic.
    reach = REACH if _local(method, mosaic.dtype) else max(height, width)
    rows = []
    y = 0
    for block_height in mosaic.chunks[0]:
        row = []
        x = 0
        for block_width in mosaic.chunks[1]:
            # Parts start at even offsets: the pattern and the per-site
            # options keep their phase, and 2 x 2 cells stay whole.
            top, left = max(0, y - reach) & ~1, max(0, x - reach) & ~1
            bottom = min(height, y + block_height + reach)
            right = min(width, x + block_width + reach)
            part = mosaic[top:bottom, left:right]
            part = part.rechunk(part.shape)
            shape = list(probe.shape)
            shape[rows_axis], shape[columns_axis] = block_height, block_width
            row.append(
                da.map_blocks(
                    _block, part, x - left, y - top, block_width, block_height, pattern, method,
                    layout, dtype, options,
                    dtype=probe.dtype, chunks=tuple((n,) for n in shape),
                    new_axis=list(range(2, probe.ndim)) if probe.ndim > 2 else None,
                    meta=np.empty((0,) * probe.ndim, probe.dtype),
                )
            )
            x += block_width
        rows.append(da.concatenate(row, axis=columns_axis))
        y += block_height
    return da.concatenate(rows, axis=rows_axis)


def develop(paths, out_dir, format="ppm", force=False, **options):
    """A dask bag developing camera files into ``out_dir``, one file a task.

    Parameters
    ----------
    paths : sequence of str or os.PathLike
        Camera files, readable where the tasks run.
    out_dir : str or os.PathLike
        The folder the outputs go to, each named for its input's stem plus ``.ppm`` or
        ``.npy`` (``format``). Existing outputs are not replaced unless ``force``; inputs never.
    **options
        As for :meth:`orvex.RawFrame.develop` (``threads`` 1 unless given: the files are
        developed in parallel instead).

    Returns
    -------
    dask.bag.Bag
        Of :class:`orvex.develop_files.Developed`, one per file in order: a file that fails
        fails its own task only, its ``error`` saying why.
    """
    try:
        import dask.bag as db
    except ImportError as error:  # pragma: no cover - depends on the system
        raise ImportError("orvex.dask.develop needs dask.bag (Debian: python3-dask)") from error
    paths, outputs = develop_files.plan_outputs(paths, out_dir, format, force)
    options = dict(options)
    options.setdefault("threads", 1)
    _check_develop_options(options)
    if not paths:
        return db.from_sequence([], npartitions=1)
    jobs = db.from_sequence(list(zip(paths, outputs)), npartitions=len(paths))
    return jobs.starmap(develop_files.develop_one, format=format, force=force, options=options)


def _check_develop_options(options):
    """Develops a small frame with the options, so mistakes raise before any task runs."""
    frame = orvex.RawFrame(
        mosaic=np.zeros((4, 4), np.uint16), pattern="RGGB", bits=12, black=[0] * 4, white=4095,
        as_shot_wb=[2.0, 1.0, 1.5], daylight_wb=[2.0, 1.0, 1.5],
        camera_to_srgb=np.eye(3, dtype=np.float32), orientation=0, make="", model="",
    )
    frame.develop(**options)
