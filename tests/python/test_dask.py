"""orvex.dask against orvex.demosaic of the whole mosaic: every method, odd chunkings,
per-site options; a zarr mosaic converted into a zarr output on a two-process cluster."""

import resource

import numpy as np
import pytest

import orvex

da = pytest.importorskip("dask.array")
od = pytest.importorskip("orvex.dask")


def test_every_method_and_chunking_equals_the_whole_conversion():
    raw = np.random.default_rng(3).integers(0, 4096, (61, 77), dtype=np.uint16)
    chunkings = [(13, 17), (61, 5), (7, 77), ((30, 1, 30), (2, 3, 72))]
    options = dict(bits=12, black=[10, 20, 30, 40], gain=[1.5, 1, 1, 2])
    for method in orvex.methods():
        for chunks, layout, pattern in zip(chunkings, ["RGB", "planar", "gray", "RGB"], orvex.patterns()):
            want = orvex.demosaic(raw, pattern, method, layout, **options)
            got = od.demosaic(da.from_array(raw, chunks=chunks), pattern, method, layout, **options)
            assert got.shape == want.shape and got.dtype == want.dtype
            np.testing.assert_array_equal(got.compute(scheduler="sync"), want, err_msg=method)


def test_bad_arguments_raise_before_anything_is_computed():
    d = da.zeros((8, 8), dtype=np.uint8, chunks=4)
    cases = [
        (np.zeros((8, 8), np.uint8), {}, TypeError, "mosaic: a dask"),
        (da.zeros((8, 8, 3), dtype=np.uint8), {}, ValueError, "2-D"),
        (da.zeros((8, 8), dtype=np.float32), {}, TypeError, "uint8 or uint16"),
        (d, dict(threads=2), TypeError, "threads"),
        (d, dict(method="best"), ValueError, "method: one of"),
        (d, dict(alpha=300, layout="RGBA"), ValueError, "alpha"),
    ]
    for mosaic, kwargs, error, words in cases:
        with pytest.raises(error, match=words):
            od.demosaic(mosaic, **kwargs)


def test_a_zarr_mosaic_on_a_two_process_cluster():
    distributed = pytest.importorskip("distributed")
    zarr = pytest.importorskip("zarr")
    import tempfile

    height, width, chunk = 4096, 3072, 512
    with tempfile.TemporaryDirectory() as folder:
        rng = np.random.default_rng(5)
        source = zarr.open(f"{folder}/in.zarr", "w", shape=(height, width), chunks=(chunk, chunk), dtype=np.uint8)
        source[:] = rng.integers(0, 256, (height, width), dtype=np.uint8)
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                      dashboard_address=None) as cluster, distributed.Client(cluster) as client:
            before = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
            rgb = od.demosaic(da.from_zarr(f"{folder}/in.zarr"), "GRBG", "dlmmse")
            da.to_zarr(rgb, f"{folder}/out.zarr")
            peaks = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
        whole = orvex.demosaic(source[:], "GRBG", "dlmmse")
        out = zarr.open(f"{folder}/out.zarr", "r")
        for y in range(0, height, chunk):
            np.testing.assert_array_equal(out[y : y + chunk], whole[y : y + chunk])
    chunk_bytes = chunk * chunk * 4  # a mosaic chunk and its output
    for worker, peak in peaks.items():
        grown = (peak - before[worker]) * 1024
        assert grown < 8 * chunk_bytes, (worker, grown)
