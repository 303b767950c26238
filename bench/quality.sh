#!/usr/bin/env sh
# Picture quality of every method on a folder of colour photographs (PNG or
# TIFF): mean PSNR over the images, per channel and for the whole image, and
# the speed of each method on them; a chart of PSNR against speed.
# Usage: bench/quality.sh FOLDER [CHART.svg] [more options of `orvex evaluate`]
set -eu
folder=${1:?usage: bench/quality.sh FOLDER [CHART.svg]}
chart=${2:-quality.svg}
shift $(( $# >= 2 ? 2 : 1 ))
exec "$(dirname "$0")/../build/default/tools/orvex" evaluate "$folder" --chart "$chart" "$@"
