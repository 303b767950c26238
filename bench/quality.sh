#!/usr/bin/env bash
# Picture quality of every method on folders of colour photographs (PNG or
# TIFF), each folder its own set: mean PSNR over the images, per channel and
# for the whole image, and the speed of each method on them; a chart of PSNR
# against speed with every set. Built with OpenCV (and libdc1394), other
# libraries' methods are measured beside ours; otherwise ours alone, by
# `orvex evaluate`.
# Usage: bench/quality.sh FOLDER... [CHART.svg] [--pattern P|all] [--wide]
set -euo pipefail
chart=quality.svg
args=()
for a in "$@"; do
    case $a in
    --chart) ;;
    *.svg) chart=$a ;;
    *) args+=("$a") ;;
    esac
done
[ ${#args[@]} -gt 0 ] || { echo "usage: bench/quality.sh FOLDER... [CHART.svg]" >&2; exit 2; }
build="$(dirname "$0")/../build/default"
if [ -x "$build/bench/orvex_quality" ]; then
    exec "$build/bench/orvex_quality" "${args[@]}" --chart "$chart"
fi
exec "$build/tools/orvex" evaluate "${args[@]}" --chart "$chart"
