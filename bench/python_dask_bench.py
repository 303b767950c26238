"""Throughput of orvex.dask.demosaic on a two-process LocalCluster against one
orvex.demosaic(threads=0) call on the same cores: the scheduling overhead.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_dask_bench.py \
        [H W CHUNK METHOD [RUNS [SCHEDULER]]]

The mosaic is held by the workers in bands of block rows, and the output stays there
(persisted). Both sides run once unmeasured, then RUNS times in turn (default 3); the
medians are printed, and their ratio, and how many mosaic blocks the timed runs left on
other workers than they started on. The unmeasured run's tasks stall on memory the workers
touch for the first time, and the scheduler, taking them for slow, may move whole blocks
between workers: the timed runs convert a copy of the mosaic placed afresh in bands.
SCHEDULER (e.g. scheduler:8786) measures a running cluster in place of the two-process
LocalCluster; its workers need orvex importable.
"""

import contextlib
import statistics
import sys
import time

import dask
import dask.array as da
import distributed
from dask.core import flatten
import numpy as np

import orvex
import orvex.dask


def on_workers(client, raw, chunk):
    """The mosaic on the workers before timing, in bands of block rows, one a worker, as
    workers reading a stored mosaic in parallel would hold it."""
    workers = sorted(client.scheduler_info()["workers"])
    rows = range(0, raw.shape[0], chunk)
    blocks = [[da.from_delayed(dask.delayed(client.scatter(
                   raw[y : y + chunk, x : x + chunk], workers=[workers[n * len(workers) // len(rows)]],
                   hash=False)),
                   raw[y : y + chunk, x : x + chunk].shape, raw.dtype)
               for x in range(0, raw.shape[1], chunk)] for n, y in enumerate(rows)]
    mosaic = client.persist(da.block(blocks))
    distributed.wait(mosaic)
    return mosaic


def main():
    args = sys.argv[1:]
    height, width, chunk = (int(v) for v in args[:3]) if len(args) > 2 else (8192, 6144, 1024)
    method = args[3] if len(args) > 3 else "bilinear"
    runs = int(args[4]) if len(args) > 4 else 3
    raw = np.random.default_rng(1).integers(0, 256, (height, width), dtype=np.uint8)

    # A scheduler's address (the 6th argument) measures a running cluster instead.
    cluster = (contextlib.nullcontext(args[5]) if len(args) > 5 else
               distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None))
    with cluster as address, distributed.Client(address) as client:
        mosaic = on_workers(client, raw, chunk)

        def one_call():
            start = time.perf_counter()
            whole = orvex.demosaic(raw, method=method, threads=0)
            return time.perf_counter() - start, whole

        def spread():
            start = time.perf_counter()
            rgb = client.persist(orvex.dask.demosaic(mosaic, method=method))
            distributed.wait(rgb)
            return time.perf_counter() - start, rgb

        def release(rgb):
            # The next run's keys are the same: they must be gone, not found in memory.
            keys = list(flatten(rgb.__dask_keys__()))
            client.cancel(rgb)
            while any(client.who_has(keys).values()):
                time.sleep(0.01)

        _, whole = one_call()
        _, rgb = spread()
        assert (rgb[:chunk].compute() == whole[:chunk]).all()
        del whole
        release(rgb)
        client.cancel(mosaic)
        mosaic = on_workers(client, raw, chunk)
        placed = client.who_has(mosaic)
        single, cluster_times = [], []
        for _ in range(runs):
            single.append(one_call()[0])
            seconds, rgb = spread()
            cluster_times.append(seconds)
            release(rgb)
        held = client.who_has(mosaic)
        moved = sum(set(held[key]) != set(workers) for key, workers in placed.items())

    mp = height * width / 1e6
    a, b = statistics.median(single), statistics.median(cluster_times)
    print(f"{height} x {width}, chunks {chunk}, {method}, medians of {runs}: one call {a * 1e3:.0f} ms "
          f"({mp / a:.0f} MP/s), cluster {b * 1e3:.0f} ms ({mp / b:.0f} MP/s), ratio {a / b:.2f}; "
          f"blocks moved {moved} of {len(placed)}")


if __name__ == "__main__":
    main()
