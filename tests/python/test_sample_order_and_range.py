"""Big-endian 16-bit mosaics ('>u2' arrays and mosaic16-be buffers) and full-range 16-bit
outputs, against the native conversion they must equal."""

import numpy as np
import pytest

import orvex


def mosaic(bits, shape=(14, 18), seed=4):
    return np.random.default_rng(seed).integers(0, 1 << bits, shape, dtype=np.uint16)


@pytest.mark.parametrize("method", ["bilinear", "mhc", "dlmmse"])
@pytest.mark.parametrize("bits", [10, 16])
def test_big_endian_samples_convert_as_native_ones(method, bits):
    native = mosaic(bits)
    big = native.astype(">u2")
    want = orvex.demosaic(native, "GBRG", method, bits=bits)
    np.testing.assert_array_equal(orvex.demosaic(big, "GBRG", method, bits=bits), want)
    # A strided, offset view of the big-endian array is read in place too.
    np.testing.assert_array_equal(
        orvex.demosaic_region(big[2:, 2:], 3, 1, 9, 7, pattern="RGGB", method=method, bits=bits),
        orvex.demosaic(native[2:, 2:], "RGGB", method, bits=bits)[1:8, 3:12],
    )
    buffer = big.tobytes()
    np.testing.assert_array_equal(
        orvex.demosaic(buffer, "GBRG", method, bits=bits, width=18, height=14,
                       format="mosaic16-be"),
        want,
    )
    np.testing.assert_array_equal(
        orvex.unpack(buffer, 18, 14, "mosaic16-be", bits=bits), native
    )


def test_big_endian_errors_name_the_argument():
    big = mosaic(12).astype(">u2")
    with pytest.raises(TypeError, match="raw: native uint16"):
        orvex.zoom_vertical(big)
    with pytest.raises(ValueError, match="bits: 9..16"):
        orvex.demosaic(big, bits=8)
    with pytest.raises(TypeError, match="raw: uint8 or uint16"):
        orvex.demosaic(mosaic(12).astype(">i2"))
    with pytest.raises(ValueError, match="do not hold"):
        orvex.demosaic(big.tobytes()[:-1], width=18, height=14, format="mosaic16-be")


@pytest.mark.parametrize(
    "dtype, bits, layout",
    [(np.uint16, 12, "RGB"), (np.uint16, 10, "planar"), (np.uint16, 16, "RGB"),
     (np.uint8, None, "RGB"), (np.uint8, None, "planar")],
)
def test_full_range_widens_each_value_exactly(dtype, bits, layout):
    top = (1 << (bits or 8)) - 1
    raw = np.random.default_rng(6).integers(0, top + 1, (12, 16)).astype(dtype)
    for method in ("bilinear", "mhc", "dlmmse"):
        own = orvex.demosaic(raw, "GRBG", method, layout, bits=bits, dtype=np.uint16)
        full = orvex.demosaic(raw, "GRBG", method, layout, bits=bits, dtype=np.uint16,
                              full_range=True)
        want = (own.astype(np.uint64) * 65535 + top // 2) // top
        np.testing.assert_array_equal(full, want, err_msg=method)
        # Grey is the luma of the full-range colours, not a widened luma.
        colours = (np.moveaxis(full, 0, -1) if layout == "planar" else full).astype(np.uint64)
        luma = (4899 * colours[..., 0] + 9617 * colours[..., 1] + 1868 * colours[..., 2]
                + 8192) >> 14
        grey = orvex.demosaic(raw, "GRBG", method, "gray", bits=bits, dtype=np.uint16,
                              full_range=True)
        np.testing.assert_array_equal(grey, luma, err_msg=method)
        # Other outputs ignore the flag.
        for other in (np.uint8, np.float32):
            np.testing.assert_array_equal(
                orvex.demosaic(raw, "GRBG", method, layout, bits=bits, dtype=other,
                               full_range=True),
                orvex.demosaic(raw, "GRBG", method, layout, bits=bits, dtype=other),
            )


def test_full_range_alpha_and_flag_values():
    raw = mosaic(12, (8, 8))
    rgba = orvex.demosaic(raw, layout="RGBA", bits=12, full_range=np.bool_(True))
    assert rgba.dtype == np.uint16 and (rgba[..., 3] == 65535).all()
    half = orvex.demosaic(raw, layout="RGBA", bits=12, full_range=True, alpha=40000)
    assert (half[..., 3] == 40000).all()
    cases = [  # (keywords, error, words)
        (dict(layout="RGBA", alpha=40000), ValueError, "alpha: 0..4095"),
        (dict(full_range=1), TypeError, "full_range: True or False, not int"),
        (dict(full_range="yes"), TypeError, "full_range: True or False, not str"),
    ]
    for kwargs, error, words in cases:
        with pytest.raises(error, match=words):
            orvex.demosaic(raw, bits=12, **kwargs)
    assert (orvex.demosaic(raw, bits=12, full_range=False) == orvex.demosaic(raw, bits=12)).all()
