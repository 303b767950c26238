"""orvex.dask against orvex.demosaic of the whole mosaic: every method, odd chunkings,
per-site options; a 201-megapixel zarr mosaic converted into a zarr output on a two-process
cluster; camera files developed on a cluster."""

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


def test_blocks_converted_inside_and_rims_apart_equal_the_whole_conversion():
    # Blocks wider than twice the reach: their insides converted from the block alone,
    # their rims from windows with the neighbours. Blocks start at odd rows and columns,
    # one is a column wide, one ends where the mosaic does; 16-bit big-endian among them.
    raw = np.random.default_rng(6).integers(0, 1024, (151, 173), dtype=np.uint16)
    chunkings = [((37, 75, 39), (41, 1, 63, 68)), ((151,), (90, 83)), ((80, 71), (173,)),
                 ((33, 118), (35, 138))]
    cases = [("RGB", np.uint16, {}), ("planar", ">u2", dict(black=[3, 5, 7, 9])),
             ("gray", np.uint16, dict(gain=[1.5, 1, 1, 2])), ("RGBA", np.uint16, dict(dtype=np.uint8))]
    for method in orvex.methods():
        for chunks, (layout, samples, options), pattern in zip(chunkings, cases, orvex.patterns()):
            want = orvex.demosaic(raw, pattern, method, layout, bits=10, **options)
            mosaic = da.from_array(raw.astype(samples), chunks=chunks)
            got = od.demosaic(mosaic, pattern, method, layout, bits=10, **options)
            np.testing.assert_array_equal(got.compute(scheduler="sync"), want,
                                          err_msg=f"{method} {layout} {chunks}")


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


def test_two_tasks_a_block_and_only_strips_between_blocks():
    raw = np.random.default_rng(4).integers(0, 256, (96, 130), dtype=np.uint8)
    mosaic = da.from_array(raw, chunks=(40, 50))  # 3 x 3 blocks, larger than the reach
    rgb = od.demosaic(mosaic, "BGGR", "mhc")
    graph = dict(rgb.__dask_graph__())
    added = {k: v for k, v in graph.items() if k not in dict(mosaic.__dask_graph__())}
    assert len(added) <= 2 * 9
    for key, task in added.items():
        if key[0].startswith("orvex-halo"):
            for piece in task[0](raw[:40, :50]):
                assert min(piece.shape) <= od.REACH + 1, piece.shape
    # Different options, different keys: a cluster never mistakes one result for another.
    assert od.demosaic(mosaic, "BGGR", "mhc", gain=[2, 1, 1]).name != rgb.name
    assert od.demosaic(mosaic, "BGGR", "mhc").name == rgb.name


def test_big_endian_blocks_and_full_range_pass_through():
    raw = np.random.default_rng(8).integers(0, 1024, (45, 38), dtype=np.uint16)
    want = orvex.demosaic(raw, "GRBG", "dlmmse", bits=10, full_range=True)
    mosaic = da.from_array(raw.astype(">u2"), chunks=(11, 19))
    got = od.demosaic(mosaic, "GRBG", "dlmmse", bits=10, full_range=True)
    np.testing.assert_array_equal(got.compute(scheduler="sync"), want)


def test_a_zarr_mosaic_on_a_two_process_cluster():
    # 16384 x 12288 (201 megapixels) in chunks of 2048: the mosaic stored as zarr, converted
    # into zarr on two worker processes, each tile equal to the single-process conversion
    # there, each worker's peak memory (its maximum resident size, measured in the worker)
    # grown by less than 8 chunks' worth of mosaic and output.
    distributed = pytest.importorskip("distributed")
    zarr = pytest.importorskip("zarr")
    import tempfile

    height, width, chunk = 16384, 12288, 2048
    with tempfile.TemporaryDirectory() as folder:
        rng = np.random.default_rng(5)
        source = zarr.open(f"{folder}/in.zarr", "w", shape=(height, width), chunks=(chunk, chunk),
                           dtype=np.uint8)
        for y in range(0, height, chunk):
            source[y : y + chunk] = rng.integers(0, 256, (chunk, width), dtype=np.uint8)
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                      dashboard_address=None) as cluster, distributed.Client(cluster) as client:
            before = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
            rgb = od.demosaic(da.from_zarr(f"{folder}/in.zarr"), "GRBG", "dlmmse")
            da.to_zarr(rgb, f"{folder}/out.zarr")
            peaks = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
        mosaic = source[:]
        out = zarr.open(f"{folder}/out.zarr", "r")
        for y in range(0, height, chunk):
            for x in range(0, width, chunk):
                want = orvex.demosaic_region(mosaic, x, y, chunk, chunk, pattern="GRBG",
                                             method="dlmmse")
                np.testing.assert_array_equal(out[y : y + chunk, x : x + chunk], want,
                                              err_msg=f"tile at {x}, {y}")
    chunk_bytes = chunk * chunk * 4  # a mosaic chunk and its output
    for worker, peak in peaks.items():
        grown = (peak - before[worker]) * 1024
        print(f"{worker}: peak grown by {grown / chunk_bytes:.2f} chunks' worth")
        assert grown < 8 * chunk_bytes, (worker, grown / chunk_bytes)

def read_ppm(path):
    head, size, top, pixels = open(path, "rb").read().split(b"\n", 3)
    width, height = map(int, size.split())
    return np.frombuffer(pixels, np.uint8 if int(top) < 256 else ">u2").reshape(height, width, 3)


def test_camera_files_developed_on_a_cluster_as_the_tool_writes_them(tmp_path):
    import os
    import subprocess

    distributed = pytest.importorskip("distributed")
    samples, tool = "/work/shared/raw", os.environ.get("ORVEX_TOOL", "")
    if not hasattr(orvex._orvex, "_read_camera_file") or not os.access(tool, os.X_OK):
        pytest.skip("built without the camera file reader or the tool")
    names = sorted(n for n in os.listdir(samples) if n.lower().endswith((".dng", ".cr2")))
    paths = [os.path.join(samples, n) for n in names]
    (tmp_path / "broken.dng").write_bytes(b"not a camera file")
    paths.append(str(tmp_path / "broken.dng"))
    out, want = tmp_path / "out", tmp_path / "want"
    out.mkdir()
    want.mkdir()
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        results = od.develop(paths, out, method="mhc").compute()
    assert [r.input for r in results] == paths
    failed = [r for r in results if not r.ok]
    assert [r.input for r in failed] == [paths[-1]] and "broken.dng" in failed[0].error
    assert sorted(os.listdir(out)) == sorted(f"{n.rsplit('.', 1)[0]}.ppm" for n in names)
    for name in names:
        stem = name.rsplit(".", 1)[0]
        subprocess.run([tool, "convert", os.path.join(samples, name), str(want / f"{stem}.ppm"),
                        "--method", "mhc"], check=True)
        np.testing.assert_array_equal(read_ppm(out / f"{stem}.ppm"), read_ppm(want / f"{stem}.ppm"))
    # The tool's rules before anything runs: existing outputs, inputs, clashing stems.
    cases = [
        (dict(paths=paths[:1], out_dir=out), "exists"),
        (dict(paths=[str(out / "x.ppm")], out_dir=out, format="ppm", force=True), "an input"),
        (dict(paths=["a/x.dng", "b/x.cr2"], out_dir=want), "would both be written"),
        (dict(paths=paths[:1], out_dir=tmp_path / "none"), "not a folder"),
        (dict(paths=paths[:1], out_dir=tmp_path, format="png"), "format: one of"),
        (dict(paths=paths[:1], out_dir=tmp_path, method="best"), "method: one of"),
    ]
    for kwargs, words in cases:
        with pytest.raises(ValueError, match=words):
            od.develop(**kwargs)
