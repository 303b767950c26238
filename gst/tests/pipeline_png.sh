#!/bin/sh
# The documented camera pipeline, end to end through gst-launch-1.0: a
# grbg mosaic through DLMMSE into a PNG, which must show the test pattern.
set -eu
out=${1:?output directory}
mkdir -p "$out"
w=320 h=240
# Sanitized builds: the sanitizer runtimes go first into gst-launch-1.0 only.
launch() {
    if [ -n "${ORVEX_GST_PRELOAD-}" ]; then
        LD_PRELOAD="$ORVEX_GST_PRELOAD" gst-launch-1.0 "$@"
    else
        gst-launch-1.0 "$@"
    fi
}
launch -q videotestsrc num-buffers=1 pattern=smpte75 \
    ! video/x-bayer,format=grbg,width=$w,height=$h \
    ! orvexdemosaic method=dlmmse ! videoconvert ! pngenc \
    ! filesink location="$out/frame.png"
# The PNG decoded, and the pattern drawn as RGB, as raw bytes.
launch -q filesrc location="$out/frame.png" ! pngdec ! videoconvert \
    ! video/x-raw,format=RGB ! filesink location="$out/frame.rgb"
launch -q videotestsrc num-buffers=1 pattern=smpte75 \
    ! video/x-raw,format=RGB,width=$w,height=$h ! filesink location="$out/pattern.rgb"
/usr/bin/python3 - "$out" $w $h <<'PY'
import sys, numpy as np
d, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
stride = (3 * w + 3) // 4 * 4
def load(name):
    a = np.fromfile(f"{d}/{name}", np.uint8)
    assert a.size == stride * h, (name, a.size)
    return a.reshape(h, stride)[:, :3 * w].astype(int)
diff = np.abs(load("frame.rgb") - load("pattern.rgb"))
# Colours away from the bars' edges are the pattern's; edges blur.
close = np.mean(diff <= 6)
print(f"mean difference {diff.mean():.2f}, within 6: {close:.3f}")
sys.exit(0 if close > 0.97 and diff.mean() < 2 else 1)
PY
