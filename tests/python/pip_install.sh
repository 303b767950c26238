#!/usr/bin/env bash
# pip install ./python in a fresh environment that sees the system's packages:
# install, import (away from the source tree), convert, uninstall.
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work" && mkdir -p "$work"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
py=$work/venv/bin/python
# A copy of the sources, so the build leaves the worktree as it was.
mkdir "$work/src"
(cd "$source_dir" && tar cf - --exclude=./build --exclude=./.git .) | (cd "$work/src" && tar xf -)
"$py" -m pip install --no-build-isolation --no-index --quiet "$work/src/python"
cd "$work"
# Where LibRaw is installed, the wheel holds the camera file reader too.
camera=$(pkg-config --exists libraw_r 2>/dev/null && echo 1 || echo 0)
ORVEX_EXPECT_CAMERA=$camera "$py" - <<'PY'
import os, numpy as np, orvex
if os.environ["ORVEX_EXPECT_CAMERA"] == "1":
    try:
        orvex.read_raw("missing.dng")
    except ValueError as error:
        assert "missing.dng" in str(error), error
assert orvex.__file__.startswith(__import__("sys").prefix), orvex.__file__
hints = os.path.join(os.path.dirname(orvex.__file__), "_names.pyi")
assert "raw12-mipi" in open(hints).read(), hints
raw = np.random.default_rng(1).integers(0, 4096, (32, 48), dtype=np.uint16)
rgb = orvex.demosaic(raw, method="dlmmse", bits=12)
assert rgb.shape == (32, 48, 3) and rgb.dtype == np.uint16
print("installed orvex", orvex.__version__, orvex.methods())
PY
version=$("$py" -c 'import importlib.metadata as m; print(m.version("orvex"))')
[ "$version" = "$("$py" -c 'import orvex; print(orvex.__version__)')" ]
"$py" -m pip uninstall --yes --quiet orvex
! "$py" -c 'import orvex' 2>/dev/null
echo "uninstalled"
