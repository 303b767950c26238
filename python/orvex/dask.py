"""Dask arrays of Bayer mosaics converted block by block on any scheduler.

Each output block is converted from its block of the mosaic and every
method's reach of neighbours around it (``REACH`` samples on each side, taken
from the adjacent blocks), the parts starting at even offsets so the
colour pattern keeps its phase: the assembled result equals :func:`orvex.demosaic` of the whole
mosaic byte for byte, whatever the chunking. The graph holds two tasks a block: one, run
where the block is, cuts the strips its neighbours read (so only they travel between
workers), the other puts the block and its neighbours' strips together and converts them by
one region call. :func:`develop` develops camera files on the workers, one file a task.
"""

import bisect
import functools

try:
    import dask.array as da
    from dask.base import tokenize
    from dask.highlevelgraph import HighLevelGraph
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


def _region(part, x, y, width, height, options):
    return orvex.demosaic_region(part, x, y, width, height, threads=1, **options)


def _cut(pieces, block):
    """The parts of a block its neighbours read, copied so only they travel."""
    return tuple(np.ascontiguousarray(block[r0:r1, c0:c1]) for r0, r1, c0, c1 in pieces)


def _convert(plan, block, *halos):
    """An output block from its mosaic block and its neighbours' parts, put together
    in one array at the window's offset, then converted by one region call."""
    y, x, top, left, rows, columns, placed, region = plan
    if not placed and block.shape == (rows, columns):
        part = block  # the window is the block itself: nothing to put together
    else:
        part = np.empty((rows, columns), block.dtype)
        part[y - top : y - top + block.shape[0], x - left : x - left + block.shape[1]] = block
        for halo, (index, at_y, at_x) in zip(halos, placed):
            piece = halo[index]
            part[at_y - top : at_y - top + piece.shape[0],
                 at_x - left : at_x - left + piece.shape[1]] = piece
    return region(part, x - left, y - top)


@functools.lru_cache(maxsize=None)
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


def _edges(chunks):
    edges = [0]
    for size in chunks:
        edges.append(edges[-1] + size)
    return edges


def _window(edges, index, reach):
    """Rows (or columns) a block is converted from: its own and `reach` more on each
    side, starting at an even offset so the pattern and per-site options keep their
    phase, and the blocks that hold them."""
    low = max(0, edges[index] - reach) & ~1
    high = min(edges[-1], edges[index + 1] + reach)
    blocks = range(bisect.bisect_right(edges, low) - 1, bisect.bisect_left(edges, high))
    return low, high, blocks


def demosaic(mosaic, pattern="RGGB", method="bilinear", layout="RGB", dtype=None, **options):
    """A lazy dask array of the conversion of a 2-D dask array of mosaic samples.

    Parameters
    ----------
    mosaic : dask.array.Array
        H x W uint8 or uint16 samples (native or big-endian), in chunks of any size.
    pattern, method, layout, dtype, **options
        As for :func:`orvex.demosaic` (``bits``, ``black``, ``white``, ``gain``, ``matrix``,
        ``transfer``, ``alpha``, ``full_range``); ``threads``, ``out`` and buffers given with ``format`` are
        not taken.

    Returns
    -------
    dask.array.Array
        The output, chunked as the mosaic in rows and columns, channels in one chunk: one
        task per block, and one per block cutting the parts its neighbours read.
    """
    if not isinstance(mosaic, da.Array):
        raise TypeError(f"mosaic: a dask.array.Array, not {type(mosaic).__name__}")
    if mosaic.ndim != 2:
        raise ValueError(f"mosaic: a 2-D array, not {mosaic.ndim}-D")
    if mosaic.dtype.kind != "u" or mosaic.dtype.itemsize not in (1, 2):
        raise TypeError(f"mosaic: uint8 or uint16 samples, not {mosaic.dtype}")
    for key in ("threads", "out", "width", "height", "format", "stride"):
        if key in options:
            raise TypeError(f"{key}: not taken by orvex.dask.demosaic")
    if not isinstance(pattern, str):
        raise TypeError(f"pattern: a string, not {type(pattern).__name__}")
    options = dict(options, pattern=pattern, method=method, layout=layout, dtype=dtype)
    # Every argument checked once, before anything is computed.
    probe = orvex.demosaic(np.zeros((2, 2), mosaic.dtype), **options)
    planar = probe.ndim == 3 and probe.shape[0] == 3 and probe.shape[1:] == (2, 2)
    height, width = mosaic.shape
    # Methods whose pixels follow from the whole mosaic's size (the cubic
    # enlargements) read every block from the whole mosaic.
    reach = REACH if _local(method, mosaic.dtype.str) else max(height, width)
    rows, columns = _edges(mosaic.chunks[0]), _edges(mosaic.chunks[1])
    token = tokenize(mosaic.name, reach, options)
    name, halo_name = f"orvex-demosaic-{token}", f"orvex-halo-{token}"
    cuts, blocks = {}, {}
    for i in range(len(rows) - 1):
        top, bottom, row_blocks = _window(rows, i, reach)
        for j in range(len(columns) - 1):
            left, right, column_blocks = _window(columns, j, reach)
            placed, halos = [], []
            for k in row_blocks:
                for m in column_blocks:
                    if (k, m) == (i, j):
                        continue
                    r0, r1 = max(top, rows[k]), min(bottom, rows[k + 1])
                    c0, c1 = max(left, columns[m]), min(right, columns[m + 1])
                    pieces = cuts.setdefault((k, m), [])
                    placed.append((len(pieces), r0, c0))
                    pieces.append((r0 - rows[k], r1 - rows[k], c0 - columns[m], c1 - columns[m]))
                    halos.append((halo_name, k, m))
            region = functools.partial(_region, width=columns[j + 1] - columns[j],
                                       height=rows[i + 1] - rows[i], options=options)
            plan = (rows[i], columns[j], top, left, bottom - top, right - left, tuple(placed),
                    region)
            index = (0, i, j) if planar else (i, j, 0)[: probe.ndim]
            blocks[(name,) + index] = (functools.partial(_convert, plan),
                                       (mosaic.name, i, j), *halos)
    halo_layer = {(halo_name, k, m): (functools.partial(_cut, tuple(pieces)), (mosaic.name, k, m))
                  for (k, m), pieces in cuts.items()}
    layers = dict(mosaic.dask.layers, **{halo_name: halo_layer, name: blocks})
    dependencies = dict(mosaic.dask.dependencies)
    dependencies[halo_name] = set(mosaic.__dask_layers__())
    dependencies[name] = {halo_name, *mosaic.__dask_layers__()}
    chunks = [(n,) for n in probe.shape]
    chunks[1 if planar else 0], chunks[2 if planar else 1] = mosaic.chunks
    return da.Array(HighLevelGraph(layers, dependencies), name, tuple(chunks),
                    meta=np.empty((0,) * probe.ndim, probe.dtype))


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
