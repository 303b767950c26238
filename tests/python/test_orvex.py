"""The Python package against the C interface (called through ctypes): every method, layout
and pattern; strided inputs and outputs used in place; camera options; errors; threads."""

import ctypes
import os
import threading

import numpy as np
import pytest

import orvex

LIB = ctypes.CDLL(os.environ["ORVEX2_LIBRARY"])
LIB.orvex_method_name.restype = ctypes.c_char_p


def LIB_METHOD_NAME(code):
    return LIB.orvex_method_name(code).decode()


class Image(ctypes.Structure):
    _fields_ = [
        ("data", ctypes.c_void_p),
        ("stride", ctypes.c_ssize_t),
        ("plane_stride", ctypes.c_ssize_t),
        ("width", ctypes.c_uint32),
        ("height", ctypes.c_uint32),
        ("format", ctypes.c_uint32),
        ("pattern", ctypes.c_uint32),
        ("bits", ctypes.c_uint32),
    ]


LAYOUTS = {  # name: (8-bit code, 16-bit code or None, shape maker)
    "RGB": (16, 21, lambda h, w: (h, w, 3)),
    "BGR": (17, None, lambda h, w: (h, w, 3)),
    "RGBA": (18, None, lambda h, w: (h, w, 4)),
    "BGRA": (19, None, lambda h, w: (h, w, 4)),
    "ARGB": (20, None, lambda h, w: (h, w, 4)),
    "planar": (22, 23, lambda h, w: (3, h, w)),
    "gray": (24, 25, lambda h, w: (h, w)),
}
PATTERNS = ["RGGB", "GRBG", "GBRG", "BGGR"]


def c_demosaic(raw, method_code, layout, pattern, bits=0):
    """The C interface's conversion of a contiguous mosaic."""
    raw = np.ascontiguousarray(raw)
    wide = raw.dtype == np.uint16
    narrow_code, wide_code, shape = LAYOUTS[layout]
    h, w = raw.shape
    out = np.zeros(shape(h, w), dtype=raw.dtype)
    src = Image(raw.ctypes.data, 0, 0, w, h, 2 if wide else 1, PATTERNS.index(pattern), bits)
    dst = Image(out.ctypes.data, 0, 0, w, h, wide_code if wide else narrow_code, 0, 0)
    assert LIB.orvex_demosaic(ctypes.byref(src), ctypes.byref(dst), method_code, None) == 0
    return out


def random_mosaic(h, w, dtype=np.uint8, bits=12, seed=1):
    rng = np.random.default_rng(seed)
    top = 255 if dtype == np.uint8 else (1 << bits) - 1
    return rng.integers(0, top + 1, size=(h, w), dtype=dtype)


def test_every_method_layout_and_pattern_equals_the_c_interface():
    raw8 = random_mosaic(23, 30)
    raw16 = random_mosaic(23, 30, np.uint16)
    for code, method in enumerate(orvex.methods(), start=1):
        for layout, (_, wide_code, _) in LAYOUTS.items():
            for pattern in PATTERNS:
                got = orvex.demosaic(raw8, pattern=pattern.lower(), method=method, layout=layout)
                np.testing.assert_array_equal(got, c_demosaic(raw8, code, layout, pattern))
                if wide_code is not None:
                    got = orvex.demosaic(raw16, pattern=pattern, method=method, layout=layout, bits=12)
                    np.testing.assert_array_equal(got, c_demosaic(raw16, code, layout, pattern, 12))


def test_strided_inputs_and_outputs_are_used_in_place():
    big = random_mosaic(60, 50, seed=3)
    for view in (big[::2], big[:, 10:-10], big[::-1]):
        expected = orvex.demosaic(np.ascontiguousarray(view), method="mhc")
        np.testing.assert_array_equal(orvex.demosaic(view, method="mhc"), expected)
    # Into every other row of a caller's array, and into a bottom-up view.
    canvas = np.zeros((60, 50, 3), np.uint8)
    view = canvas[::2]
    result = orvex.demosaic(big[:30], out=view)
    assert result.base is canvas or result is view
    np.testing.assert_array_equal(canvas[::2], orvex.demosaic(big[:30]))
    assert not canvas[1::2].any()
    flipped = np.zeros((30, 50, 3), np.uint8)
    orvex.demosaic(big[:30], out=flipped[::-1])
    np.testing.assert_array_equal(flipped[::-1], orvex.demosaic(big[:30]))
    # An output whose sample type arrived from another process, equal but not the same object.
    import pickle

    moved = np.zeros((30, 50, 3), pickle.loads(pickle.dumps(np.dtype(np.uint8))))
    orvex.demosaic(big[:30], out=moved)
    np.testing.assert_array_equal(moved, orvex.demosaic(big[:30]))


def test_regions_zoom_and_mosaic():
    raw = random_mosaic(40, 36, seed=4)
    whole = orvex.demosaic(raw, method="dlmmse", pattern="GBRG")
    part = orvex.demosaic_region(raw, 5, 7, 20, 11, method="dlmmse", pattern="GBRG")
    np.testing.assert_array_equal(part, whole[7:18, 5:25])
    assert orvex.zoom_vertical(raw, "GRBG").shape == (80, 36)
    rgb = np.random.default_rng(2).integers(0, 256, (8, 6, 3), dtype=np.uint8)
    sampled = orvex.mosaic(rgb, "GRBG")
    assert sampled[0, 1] == rgb[0, 1, 0] and sampled[1, 0] == rgb[1, 0, 2]
    assert sampled[0, 0] == rgb[0, 0, 1]


def test_packed_frames_and_camera_options():
    # RAW12 pairs: byte 0 = s0 >> 4, byte 1 = s1 >> 4, byte 2 = low nibbles.
    samples = random_mosaic(6, 8, np.uint16, seed=5)
    s0, s1 = samples[:, 0::2], samples[:, 1::2]
    packed = np.stack([s0 >> 4, s1 >> 4, (s1 & 15) << 4 | (s0 & 15)], axis=-1).astype(np.uint8)
    packed = packed.tobytes()
    np.testing.assert_array_equal(orvex.unpack(packed, 8, 6, "raw12-mipi"), samples)
    np.testing.assert_array_equal(
        orvex.demosaic(packed, width=8, height=6, format="RAW12-MIPI"),
        orvex.demosaic(samples, bits=12),
    )
    # Three gains go to their colour's sites whatever the pattern.
    flat = np.full((8, 8), 100, np.uint8)
    for pattern in PATTERNS:
        rgb = orvex.demosaic(flat, pattern=pattern, gain=[2.0, 1.0, 0.5])
        assert tuple(rgb[4, 4]) == (200, 100, 50)
    srgb = orvex.demosaic(flat, transfer="srgb", matrix=[1, 0, 0, 0, 1, 0, 0, 0, 1])
    assert abs(int(srgb[4, 4, 0]) - round(255 * (1.055 * (100 / 255) ** (1 / 2.4) - 0.055))) <= 1


def test_float32_is_the_16_bit_output_unrounded():
    # Bounds in steps of the 16-bit output: its rounding (0.5, twice for grey
    # through the colour stage) and single precision (24 bits).
    raw = random_mosaic(30, 34, np.uint16, bits=12, seed=9)
    stage = dict(matrix=[1.7, -0.5, -0.2, -0.3, 1.6, -0.3, 0.1, -0.6, 1.5], transfer="srgb")
    cases = [  # (options, bound of colour layouts, bound of grey)
        ({}, 1e-3, 0.501),
        (stage, 0.501, 1.001),
    ]
    for method in orvex.methods():
        for options, bound, grey_bound in cases:
            wide = orvex.demosaic(raw, method=method, layout="planar", bits=12, **options)
            floats = orvex.demosaic(raw, method=method, layout="planar", bits=12,
                                    dtype=np.float32, **options)
            assert floats.dtype == np.float32 and floats.min() >= 0 and floats.max() <= 1
            assert np.abs(floats * 4095.0 - wide).max() <= bound, method
            packed = orvex.demosaic(raw, method=method, bits=12, dtype="float32", **options)
            np.testing.assert_array_equal(packed, np.moveaxis(floats, 0, -1))
            grey = orvex.demosaic(raw, method=method, layout="gray", bits=12, **options)
            grey_f = orvex.demosaic(raw, method=method, layout="gray", bits=12,
                                    dtype=np.float32, **options)
            assert np.abs(grey_f * 4095.0 - grey).max() <= grey_bound, method
    out = np.zeros((10, 12, 3), np.float32)
    whole = orvex.demosaic(raw, method="mhc", bits=12, dtype=np.float32)
    orvex.demosaic_region(raw, 3, 5, 12, 10, method="mhc", bits=12, dtype=np.float32, out=out)
    np.testing.assert_array_equal(out, whole[5:15, 3:15])


def test_dtype_forms_and_positional_arguments():
    raw16 = random_mosaic(8, 10, np.uint16, bits=12)
    want = orvex.demosaic(raw16, "GRBG", "bilinear", "RGB", 12, 1, None, np.dtype(np.uint8))
    for form in (np.uint8, "uint8", np.dtype("uint8")):
        got = orvex.demosaic(raw16, pattern="grbg", bits=12, dtype=form)
        assert got.dtype == np.uint8 and (got == want).all()
    assert orvex.demosaic(random_mosaic(8, 10), dtype="uint16").dtype == np.uint16


def test_errors_write_nothing():
    raw = random_mosaic(10, 12)
    out = np.full((10, 12, 3), 7, np.uint8)
    cases = [
        (ValueError, dict(pattern="RGBG")),
        (ValueError, dict(method="sharpest")),
        (ValueError, dict(layout="YUV")),
        (ValueError, dict(out=np.zeros((10, 11, 3), np.uint8))),
        (TypeError, dict(out=np.zeros((10, 12, 3), np.uint16))),
        (ValueError, dict(black=[300, 0, 0, 0], out=out)),
        (TypeError, dict(dtype=np.float32, layout="BGR")),
    ]
    for error, kwargs in cases:
        with pytest.raises(error):
            orvex.demosaic(raw, **kwargs)
    assert (out == 7).all()
    with pytest.raises(TypeError):
        orvex.demosaic(raw.astype(np.float32))
    with pytest.raises(ValueError):
        orvex.demosaic(raw[0])
    with pytest.raises(ValueError):
        orvex.unpack(b"\0" * 4, 8, 6, "raw12-mipi")


def test_threads_convert_at_once_with_the_same_results():
    raw = random_mosaic(300, 400, seed=6)
    expected = orvex.demosaic(raw, method="dlmmse", threads=1)
    results = [None] * 4

    def work(i):
        results[i] = orvex.demosaic(raw, method="dlmmse", threads=1)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for r in results:
        np.testing.assert_array_equal(r, expected)


def test_a_strided_100_megapixel_input_is_not_copied():
    import resource

    raw = np.zeros((10000, 10000), np.uint8)
    raw[:, :] = 1  # touch every page before measuring
    view = raw[::2, 1000:-1000]  # 5000 x 8000, rows strided
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    rgb = orvex.demosaic(view, threads=1)
    grown = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024 - before
    assert rgb.shape == (5000, 8000, 3)
    # The output is 120 MB; a copy of the input would add 40 MB more.
    assert grown <= rgb.nbytes + 16 * 1024 * 1024, grown


def test_arguments_out_of_range_name_the_argument_and_write_nothing():
    raw = random_mosaic(8, 8)
    out = np.full((8, 8, 4), 7, np.uint8)
    cases = [  # (keywords, error, words the message holds)
        (dict(black=[-5] * 4), ValueError, "black: 0..65535"),
        (dict(black=[1, 2]), ValueError, "black: 1 or 4"),
        (dict(white=2**40), ValueError, "white: 0..65535"),
        (dict(alpha=-1), ValueError, "alpha: 0..65535"),
        (dict(alpha=300), ValueError, "alpha: 0..255"),
        (dict(threads=-1), ValueError, "threads"),
        (dict(threads=1.5), TypeError, "threads: an integer"),
        (dict(gain=[1, float("nan"), 1]), ValueError, "gain: finite"),
        (dict(matrix=[1] * 8), ValueError, "matrix: 9"),
        (dict(transfer="log"), ValueError, "transfer"),
        (dict(width=4), ValueError, "width, height, stride"),
        (dict(stride=8), ValueError, "width, height, stride"),
        (dict(pattern=3), TypeError, "pattern: a string"),
        (dict(colour=1), TypeError, "unexpected keyword 'colour'"),
        (dict(dtype=np.float64), TypeError, "dtype"),
        (dict(layout="BGR", dtype=np.uint16), TypeError, "holds uint8"),
        (dict(format="raw13"), ValueError, "format: one of"),
    ]
    for kwargs, error, words in cases:
        with pytest.raises(error, match=words.replace("(", r"\(").replace(".", r"\.")):
            orvex.demosaic(raw, layout=kwargs.pop("layout", "RGBA"), out=out, **kwargs)
    assert (out == 7).all()
    with pytest.raises(ValueError, match="empty mosaic"):
        orvex.demosaic(np.zeros((0, 0), np.uint8))
    with pytest.raises(ValueError, match="at least 1 x 1"):
        orvex.demosaic_region(raw, 0, 0, 0, 0)
    cases = [  # (call, words the ValueError holds)
        (lambda: orvex.demosaic(np.zeros((1, 5), np.uint8)), "at least 2 x 2 samples, not 5 x 1"),
        (lambda: orvex.demosaic_region(raw, 4, 0, 5, 2), r"region 5 x 2 at \(4, 0\) reaches"),
        (lambda: orvex.demosaic_region(raw, 0, 7, 2, 2), "beyond the 8 x 8 mosaic"),
        (lambda: orvex.demosaic(raw, black=10, white=10), "black: 10 is at or above the white"),
        (lambda: orvex.demosaic(raw, black=255), "255 is at or above the white level 255"),
        (lambda: orvex.demosaic(raw.astype(np.uint16), bits=12, black=[0, 0, 0, 4095]), "4095"),
    ]
    for call, words in cases:
        with pytest.raises(ValueError, match=words):
            call()


def test_copies_that_cannot_be_made_raise_memory_error():
    huge = np.lib.stride_tricks.as_strided(np.zeros(16, np.uint8), (2**31, 2**31), (0, 0))
    with pytest.raises(MemoryError):
        orvex.demosaic(huge)
    # Repeated rows and samples are copied, then converted as the copy.
    row = random_mosaic(1, 12)[0]
    np.testing.assert_array_equal(
        orvex.demosaic(np.broadcast_to(row, (6, 12))), orvex.demosaic(np.tile(row, (6, 1)))
    )


def test_packed_rows_with_a_stride():
    samples = random_mosaic(6, 8, np.uint16, seed=7)
    s0, s1 = samples[:, 0::2], samples[:, 1::2]
    rows = np.stack([s0 >> 4, s1 >> 4, (s1 & 15) << 4 | (s0 & 15)], axis=-1).astype(np.uint8)
    padded = np.zeros((6, 16), np.uint8)
    padded[:, :12] = rows.reshape(6, 12)
    got = orvex.demosaic(padded.tobytes(), width=8, height=6, format="raw12-mipi", stride=16)
    np.testing.assert_array_equal(got, orvex.demosaic(samples, bits=12))
    np.testing.assert_array_equal(orvex.unpack(padded, 8, 6, "raw12-mipi", stride=16), samples)
    for stride, words in ((11, "stride: at least 12"), (17, "do not hold")):
        with pytest.raises(ValueError, match=words):
            orvex.demosaic(padded.tobytes(), width=8, height=6, format="raw12-mipi", stride=stride)


def test_names_come_from_the_library():
    assert orvex.patterns() == PATTERNS
    assert set(LAYOUTS) <= set(orvex.layouts())
    assert {"mosaic8", "raw12-mipi"} <= set(orvex.formats())
    assert orvex.methods()[0] == LIB_METHOD_NAME(1)
