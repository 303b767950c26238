"""Throughput of orvex.dask.demosaic on a two-process LocalCluster against one
orvex.demosaic(threads=0) call on the same cores: the scheduling overhead.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_dask_bench.py [H W CHUNK METHOD]

For a real cluster, replace the LocalCluster by distributed.Client("scheduler:8786").
"""

import sys
import time

import dask.array as da
import distributed
import numpy as np

import orvex
import orvex.dask


def main():
    height, width, chunk = (int(v) for v in sys.argv[1:4]) if len(sys.argv) > 3 else (8192, 6144, 1024)
    method = sys.argv[4] if len(sys.argv) > 4 else "bilinear"
    raw = np.random.default_rng(1).integers(0, 256, (height, width), dtype=np.uint8)

    start = time.perf_counter()
    whole = orvex.demosaic(raw, method=method, threads=0)
    single = time.perf_counter() - start

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        mosaic = client.persist(da.from_array(raw, chunks=chunk))  # on the workers before timing
        distributed.wait(mosaic)
        start = time.perf_counter()
        rgb = client.persist(orvex.dask.demosaic(mosaic, method=method))
        distributed.wait(rgb)
        spread = time.perf_counter() - start
        assert (rgb[:chunk].compute() == whole[:chunk]).all()

    mp = height * width / 1e6
    print(f"{height} x {width}, chunks {chunk}, {method}: one call {mp / single:.1f} MP/s, "
          f"cluster {mp / spread:.1f} MP/s, ratio {single / spread:.2f}")


if __name__ == "__main__":
    main()
