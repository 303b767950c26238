#!/usr/bin/env sh
# Picture quality of every method on a folder of colour photographs (PNG or
# TIFF): mean PSNR over the images, per channel and for the whole image, and
# the speed of each method on them; a chart of PSNR against speed. Built
# with OpenCV (and libdc1394), other libraries' methods are measured beside
# ours; otherwise ours alone, by `orvex evaluate`.
# Usage: bench/quality.sh FOLDER [CHART.svg] [--pattern P|all] [--wide]
set -eu
folder=${1:?usage: bench/quality.sh FOLDER [CHART.svg]}
chart=${2:-quality.svg}
shift $(( $# >= 2 ? 2 : 1 ))
build="$(dirname "$0")/../build/default"
if [ -x "$build/bench/orvex_quality" ]; then
    exec "$build/bench/orvex_quality" "$folder" --chart "$chart" "$@"
fi
exec "$build/tools/orvex" evaluate "$folder" --chart "$chart" "$@"
