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
# The second interface: sizes 0 = 640x480, 1 = 4096x3072; the exports' frames are 1280x1024 and
# 4096x3072, so its rows against them compare the larger frame only.
ROWS2 = [  # case, reference, target ratio (None: shown only), size
    ("Orvex2/block_t1", "Demosaic/block_8_BGR24", 1.05, 1),
    ("Orvex2/bilinear_t1", "Demosaic/bilinear_8_BGR24", 1.05, 1),
    ("Orvex2/cubic_t1", "Demosaic/cubic_8_BGR24", 1.05, 1),
    ("Orvex2/cubicfixed_t1", "Demosaic/cubicfixed_8_BGR24", 1.05, 1),
]
for m in ("block", "bilinear", "cubic", "cubicfixed", "mhc", "dlmmse", "ri"):
    ROWS2.append((f"Orvex2/{m}_t1_padded", f"Orvex2/{m}_t1", 1.05, 1))
    speedup = 1 / 1.3 if m in ("block", "bilinear") else 1 / 1.7
    ROWS2.append((f"Orvex2/{m}_t0", f"Orvex2/{m}_t1", round(speedup, 3), 1))
    ROWS2.append((f"Orvex2/{m}_t0", f"Orvex2/{m}_t1", 1.05, 0))
# The quality methods against OpenCV's bilinear conversion, and 12-bit mosaics into RGB48
# against their 8-bit time; OpenCV's edge-aware and VNG conversions for scale.
ROWS2 += [
    ("Orvex2/mhc_t1", "OpenCv/opencv_bilinear_8", 1.5, 1),
    ("Orvex2/dlmmse_t1", "OpenCv/opencv_bilinear_8", 8.0, 1),
    ("Orvex2/mhc_16_t1", "Orvex2/mhc_t1", 2.0, 1),
    ("Orvex2/dlmmse_16_t1", "Orvex2/dlmmse_t1", 2.0, 1),
    ("Orvex2/ri_t1", "OpenCv/opencv_bilinear_8", 20.0, 1),
    ("Orvex2/ri_16_t1", "Orvex2/ri_t1", 1.3, 1),
    ("Copy/memcpy_6B", "Copy/memcpy_3B", None, 1),
    # Camera frames: packed against 16-bit samples, the whole pipeline against plain bilinear,
    # and unpacking against a copy of its output (a ratio of times: 2 = half memcpy's speed).
    ("CameraFrame/bilinear_mipi12_RGB24", "CameraFrame/bilinear_mosaic16_RGB24", 1.25, 1),
    ("CameraFrame/bilinear_pipeline_RGB24", "Orvex2/bilinear_t1", 2.0, 1),
    ("CameraFrame/unpack_mipi10", "Copy/memcpy_2B_zoom8", 2.0, 1),
    ("CameraFrame/unpack_mipi12", "Copy/memcpy_2B_zoom8", 2.0, 1),
    ("OpenCv/opencv_edgeaware_8", "OpenCv/opencv_bilinear_8", None, 1),
    ("OpenCv/opencv_vng_8", "OpenCv/opencv_bilinear_8", None, 1),
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

print()
print("| case | vs | target | frame | ratio |")
print("|---|---|---|---|---|")
for case, ref, target, size in ROWS2:
    a, b = times.get(f"{case}/{size}"), times.get(f"{ref}/{size}")
    cell = "n/a" if a is None or b is None else f"{a / b:.2f}" + (
        "" if target is None else (" met" if a / b <= target else " missed"))
    frame = "640x480" if size == 0 else "4096x3072"
    print(f"| {case.split('/')[1]} | {ref.split('/')[1]} | {target} | {frame} | {cell} |")
