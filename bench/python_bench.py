#!/usr/bin/env python3
"""The Python package against the C interface, and Python threads at once.

Usage: PYTHONPATH=build/default/python python3 bench/python_bench.py [build/default/src/liborvex2.so]
Prints the medians of repeated calls: the overhead of a call on a 640 x 480 frame over the same
call from C (through ctypes, whose own call costs about a microsecond), a 12-megapixel conversion
against C, and four threads converting at once against one.
"""
import ctypes
import statistics
import sys
import threading
import time

import numpy as np

import orvex

LIB = ctypes.CDLL(sys.argv[1] if len(sys.argv) > 1 else "build/default/src/liborvex2.so")


class Image(ctypes.Structure):
    _fields_ = [("data", ctypes.c_void_p), ("stride", ctypes.c_ssize_t),
                ("plane_stride", ctypes.c_ssize_t), ("width", ctypes.c_uint32),
                ("height", ctypes.c_uint32), ("format", ctypes.c_uint32),
                ("pattern", ctypes.c_uint32), ("bits", ctypes.c_uint32)]


class Options(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("threads", ctypes.c_uint32), ("alpha", ctypes.c_uint32)]


def median_time(call, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def compare(h, w, repeats):
    raw = np.random.default_rng(1).integers(0, 256, (h, w), dtype=np.uint8)
    out = np.empty((h, w, 3), np.uint8)
    src = Image(raw.ctypes.data, 0, 0, w, h, 1, 0, 0)
    dst = Image(out.ctypes.data, 0, 0, w, h, 16, 0, 0)
    options = Options(ctypes.sizeof(Options), 1, 0xFFFFFFFF)
    c = median_time(lambda: LIB.orvex_demosaic(ctypes.byref(src), ctypes.byref(dst), 1,
                                               ctypes.byref(options)), repeats)
    py = median_time(lambda: orvex.demosaic(raw, threads=1, out=out), repeats)
    return c, py


c, py = compare(480, 640, 2000)
print(f"640 x 480 bilinear: C {c * 1e6:.1f} us, Python {py * 1e6:.1f} us, "
      f"overhead {(py - c) * 1e6:.1f} us (target at most 20)")
c, py = compare(3000, 4000, 30)
print(f"12 MP bilinear: C {c * 1e3:.2f} ms, Python {py * 1e3:.2f} ms, "
      f"ratio {py / c:.3f} (target at most 1.03)")

raw = np.random.default_rng(2).integers(0, 256, (1500, 2000), dtype=np.uint8)


def convert_many(n):
    # The edge-directed method: compute-bound, where threads can help on any machine.
    for _ in range(n):
        orvex.demosaic(raw, method="dlmmse", threads=1)


one = median_time(lambda: convert_many(8), 5)
def four_threads():
    threads = [threading.Thread(target=convert_many, args=(2,)) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
four = median_time(four_threads, 5)
print(f"8 conversions of 3 MP (dlmmse): one thread {one * 1e3:.1f} ms, four threads {four * 1e3:.1f} ms,"
      f" speed-up {one / four:.2f} x")
