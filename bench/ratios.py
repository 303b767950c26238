#!/usr/bin/env python3
"""Runs orvex_bench once and prints the time ratios of the throughput targets.

Usage: bench/ratios.py [path/to/orvex_bench]   (default build/default/bench/orvex_bench)
All ratios come from the same run; the machines are shared, so repeat runs differ.
"""
import json
import subprocess
import sys

binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/bench/orvex_bench"
out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_min_time=0.3",
                      "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
                     check=True, capture_output=True, text=True).stdout
times = {}
for b in json.loads(out)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        times[b["run_name"].replace("/real_time", "")] = b["real_time"]

ROWS = [  # case, reference, target ratio
    ("Demosaic/block_8_BGR24", "OpenCv/opencv_bilinear_8", 0.5),
    ("Demosaic/block_8_BGR24", "Copy/memcpy_3B", 1.2),
    ("Demosaic/bilinear_8_BGR24", "OpenCv/opencv_bilinear_8", 0.8),
    ("Demosaic/bilinear_8_BGRA32", "OpenCv/opencv_bilinear_8", 0.8),
    ("Demosaic/block_16_RGB48", "OpenCv/opencv_bilinear_16", 0.5),
    ("Demosaic/bilinear_16_RGB48", "OpenCv/opencv_bilinear_16", 0.5),
    ("Demosaic/cubicfixed_8_BGR24", "OpenCv/opencv_bilinear_8", 3.0),
    ("Demosaic/cubic_8_BGR24", "OpenCv/opencv_bilinear_8", 5.0),
    ("Zoom/zoom_Bayer8", "Copy/memcpy_2B_zoom8", 1.5),
    ("Zoom/zoom_Bayer16", "Copy/memcpy_4B_zoom16", 1.5),
    ("OpenCv/opencv_vng_8", "OpenCv/opencv_bilinear_8", None),
]
print("| case | vs | target | 1280x1024 | 4096x3072 |")
print("|---|---|---|---|---|")
for case, ref, target in ROWS:
    cells = []
    for size in (0, 1):
        a, b = times.get(f"{case}/{size}"), times.get(f"{ref}/{size}")
        if a is None or b is None:
            cells.append("n/a")
            continue
        ratio = a / b
        mark = "" if target is None else (" met" if ratio <= target else " missed")
        cells.append(f"{ratio:.2f}{mark}")
    name = case.split("/")[1]
    print(f"| {name} | {ref.split('/')[1]} | {target if target else '-'} | {cells[0]} | {cells[1]} |")
