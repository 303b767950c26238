"""Dask arrays of Bayer mosaics converted block by block on any scheduler.

Each output block is converted from its block of the mosaic and every
method's reach of neighbours around it (``REACH`` samples on each side, taken
from the adjacent blocks), the parts starting at even offsets so the
colour pattern keeps its phase: the assembled result equals :func:`orvex.demosaic` of the whole
mosaic byte for byte, whatever the chunking. The graph holds two tasks a block: one, run
where the block is, cuts the strips its neighbours read (so only they travel between
workers), the other converts the block's inside by a region call on the block itself and its
rims from small windows with the neighbours' strips, all written straight into the output block.
:func:`develop` develops camera files on the workers, one file a task.
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


def _region(part, x, y, width, height, out, options):
    return orvex.demosaic_region(part, x, y, width, height, threads=1, out=out, **options)


def _cut(pieces, block):
    """The parts of a block its neighbours read, copied so only they travel."""
    return tuple(np.ascontiguousarray(block[r0:r1, c0:c1]) for r0, r1, c0, c1 in pieces)


def _gather(window, sources, dtype):
    """The samples of a window (top, bottom, left, right) put together from the parts
    that hold them, each given with its place in the mosaic."""
    top, bottom, left, right = window
    part = np.empty((bottom - top, right - left), dtype)
    for piece, at_y, at_x in sources:
        r0, r1 = max(top, at_y), min(bottom, at_y + piece.shape[0])
        c0, c1 = max(left, at_x), min(right, at_x + piece.shape[1])
        if r0 < r1 and c0 < c1:
            part[r0 - top : r1 - top, c0 - left : c1 - left] = \
                piece[r0 - at_y : r1 - at_y, c0 - at_x : c1 - at_x]
    return part


def _rectangles(y, x, height, width, edges, reach):
    """The block's inside, converted from the block alone (its pixels `reach` or more
    from every side that has neighbours, counted from the even row and column the block's
    own part starts at), and the rims around it, converted from windows with neighbours;
    None when the block has no such inside."""
    shown = (y + (y & 1), x + (x & 1))
    r0 = shown[0] + reach if edges[0] else y
    c0 = shown[1] + reach if edges[2] else x
    r1 = y + height - reach if edges[1] else y + height
    c1 = x + width - reach if edges[3] else x + width
    if r0 >= r1 or c0 >= c1:
        return None
    rims = [(y, r0, x, x + width), (r1, y + height, x, x + width),
            (r0, r1, x, c0), (r0, r1, c1, x + width)]
    return shown, (r0, r1, c0, c1), [r for r in rims if r[0] < r[1] and r[2] < r[3]]


def _convert(plan, block, *halos):
    """An output block from its mosaic block and its neighbours' parts. Its inside is
    converted by a region call on the block itself, its rims from small windows put
    together with the neighbours' parts; each writes straight into the output block.
    A block too small for an inside is put together whole and converted by one call."""
    y, x, top, left, rows, columns, placed, reach, planar, channels, dtype, options = plan
    height, width = block.shape
    sources = [(block, y, x)] + [(halo[index], at_y, at_x) for halo, (index, at_y, at_x)
                                 in zip(halos, placed)]
    out = np.empty((3, height, width) if planar else (height, width) + channels, dtype)

    def into(r0, r1, c0, c1):
        rows_, columns_ = slice(r0 - y, r1 - y), slice(c0 - x, c1 - x)
        return out[:, rows_, columns_] if planar else out[rows_, columns_]

    edges = (top < y, top + rows > y + height, left < x, left + columns > x + width)
    split = _rectangles(y, x, height, width, edges, reach)
    if split is None:
        part = block if not placed and block.shape == (rows, columns) else \
            _gather((top, top + rows, left, left + columns), sources, block.dtype)
        _region(part, x - left, y - top, width, height, out, options)
        return out
    (sy, sx), (r0, r1, c0, c1), rims = split
    _region(block[sy - y :, sx - x :], c0 - sx, r0 - sy, c1 - c0, r1 - r0, into(r0, r1, c0, c1),
            options)
    bottom, right = top + rows, left + columns
    for t, b, l, r in rims:
        window = (max(top, (t - reach) & ~1), min(bottom, b + reach),
                  max(left, (l - reach) & ~1), min(right, r + reach))
        part = _gather(window, sources, block.dtype)
        _region(part, l - window[2], t - window[0], r - l, b - t, into(t, b, l, r), options)
    return out


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
            plan = (rows[i], columns[j], top, left, bottom - top, right - left, tuple(placed),
                    reach, planar, probe.shape[2:], probe.dtype, options)
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
