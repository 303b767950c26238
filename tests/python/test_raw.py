"""orvex.read_raw and RawFrame.develop against the tool's files for the same options."""

import os
import pickle
import subprocess

import numpy as np
import pytest

import orvex

SAMPLES = "/work/shared/raw"
TOOL = os.environ.get("ORVEX_TOOL", "")
if not hasattr(orvex._orvex, "_read_camera_file"):
    pytest.skip("built without the camera file reader", allow_module_level=True)


def read_ppm(path):
    head, size, top, pixels = open(path, "rb").read().split(b"\n", 3)
    width, height = map(int, size.split())
    dtype = np.uint8 if int(top) < 256 else np.dtype(">u2")
    return np.frombuffer(pixels, dtype).reshape(height, width, 3)


@pytest.mark.parametrize("options, flags", [
    ({}, []),
    (dict(method="mhc", wb="daylight", linear=True), ["--method", "mhc", "--wb", "daylight", "--linear"]),
    (dict(auto_bright=False, curve="srgb", dtype=np.uint16), ["--no-auto-bright", "--curve", "srgb",
                                                               "--bits", "16"]),
    (dict(exposure=-0.5, half=True, rotate=False), ["--exposure", "-0.5", "--half", "--no-rotate"]),
])
def test_develop_gives_the_tools_pixels(tmp_path, options, flags):
    if not os.path.isdir(SAMPLES) or not os.access(TOOL, os.X_OK):
        pytest.skip("no sample camera files or no tool")
    names = sorted(n for n in os.listdir(SAMPLES) if n.lower().endswith(".dng"))
    for name in names:
        frame = orvex.read_raw(os.path.join(SAMPLES, name))
        assert frame.mosaic.dtype == np.uint16 and frame.pattern in orvex.patterns()
        again = pickle.loads(pickle.dumps(frame))
        out = tmp_path / (name + ".ppm")
        subprocess.run([TOOL, "convert", os.path.join(SAMPLES, name), str(out)] + flags, check=True)
        np.testing.assert_array_equal(again.develop(**options), read_ppm(out), err_msg=name)


def test_refused_files_raise_value_error_naming_the_file(tmp_path):
    cases = [(tmp_path / "missing.dng", None), (tmp_path / "text.dng", b"not a camera file")]
    for path, content in cases:
        if content is not None:
            path.write_bytes(content)
        with pytest.raises(ValueError, match=path.name):
            orvex.read_raw(path)


def test_develop_of_synthesised_dngs_gives_the_tools_pixels(tmp_path):
    from dng_files import write_dng

    if not os.access(TOOL, os.X_OK):
        pytest.skip("no tool")
    rng = np.random.default_rng(11)
    cases = [  # (pattern, orientation, develop's options, the tool's flags)
        ("RGGB", 1, {}, []),
        ("GRBG", 3, dict(method="ri", wb="daylight"), ["--method", "ri", "--wb", "daylight"]),
        ("GBRG", 6, dict(dtype=np.uint16), ["--bits", "16"]),
        ("BGGR", 8, dict(method="bilinear", linear=True), ["--method", "bilinear", "--linear"]),
        ("RGGB", 5, dict(half=True, exposure=0.5, auto_bright=False, curve="srgb"),
         ["--half", "--exposure", "0.5", "--no-auto-bright", "--curve", "srgb"]),
    ]
    for i, (pattern, orientation, options, flags) in enumerate(cases):
        path = tmp_path / f"{i}-{pattern}.dng"
        write_dng(path, rng.integers(64, 4000, (48, 66)).astype(np.uint16), pattern, orientation)
        frame = orvex.read_raw(path)
        assert (frame.pattern, frame.orientation != 0) == (pattern, orientation != 1)
        out = tmp_path / f"{i}-{pattern}.ppm"
        subprocess.run([TOOL, "convert", str(path), str(out)] + flags, check=True)
        np.testing.assert_array_equal(frame.develop(**options), read_ppm(out), err_msg=pattern)
