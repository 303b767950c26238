"""Camera raw files: the visible mosaic and what the file says about it, developed as the
command-line tool develops them (``orvex convert``)."""

import dataclasses

import numpy as np

from . import _orvex


@dataclasses.dataclass
class RawFrame:
    """A camera file's visible mosaic and its metadata; pickles, for workers."""

    mosaic: np.ndarray  # H x W uint16 samples as the sensor gave them
    pattern: str  # colours of the visible top-left 2 x 2 cell
    bits: int  # significant bits of the samples
    black: list  # black levels per site of the top-left cell, row by row
    white: int  # saturation level
    as_shot_wb: list  # R, G, B multipliers (green 1); the daylight balance where the file has none
    daylight_wb: list
    camera_to_srgb: np.ndarray  # 3 x 3, camera RGB to linear sRGB
    orientation: int  # 4 swap axes, 2 mirror rows, 1 mirror columns (in that order)
    make: str
    model: str

    baseline_exposure: float = 0.0  # DNG BaselineExposure in EV; 0 elsewhere

    def develop(self, method="ri", wb="camera", dtype=np.uint8, black=None, white=None,
                matrix=True, linear=False, rotate=True, threads=0, auto_bright=True, exposure=0.0,
                curve="bt709", half=False):
        """The colour image ``orvex convert`` writes for the same options (the same code).

        wb: "camera", "daylight", "none" or (R, G, B); black: one level or four per site;
        white: the saturation level; matrix: apply ``camera_to_srgb``; linear: no curve;
        curve: "bt709" (as dcraw) or "srgb", at either dtype; auto_bright: the level above
        which 1 % of a channel's pixels lie becomes white (else the white level, with
        ``baseline_exposure``); exposure: EV on top; half: one pixel per 2 x 2 cell;
        rotate: apply the orientation.
        """
        if isinstance(wb, str):
            choices = {"camera": self.as_shot_wb, "daylight": self.daylight_wb, "none": [1, 1, 1]}
            if wb not in choices:
                raise ValueError(f"wb: 'camera', 'daylight', 'none' or (R, G, B), not {wb!r}")
            gains = [float(g) for g in choices[wb]]
        else:
            r, g, b = (float(v) for v in wb)
            if not g > 0 or not r >= 0 or not b >= 0:
                raise ValueError("wb: green above 0, red and blue not negative")
            gains = [r / g, 1.0, b / g]
        d = np.dtype(dtype)
        if d not in (np.uint8, np.uint16):
            raise TypeError(f"dtype: uint8 or uint16, not {d}")
        levels = self.black if black is None else black
        if np.ndim(levels) == 0:
            levels = [levels] * 4
        if len(levels) != 4 or any(not 0 <= int(v) < 2**32 for v in levels):
            raise ValueError(f"black: one level or four, 0 .. 2**32 - 1, not {black!r}")
        top = self.white if white is None else white
        if not 0 <= int(top) < 2**32:
            raise ValueError(f"white: 0 .. 2**32 - 1, not {white!r}")
        if not -16 <= float(exposure) <= 16:
            raise ValueError(f"exposure: -16 .. 16 EV, not {exposure!r}")
        return _orvex._develop(
            np.ascontiguousarray(self.mosaic, np.uint16), self.pattern, int(self.bits),
            [int(v) for v in levels], int(top), gains,
            [float(v) for v in np.asarray(self.camera_to_srgb).ravel()] if matrix else None,
            int(self.orientation) if rotate else 0, float(self.baseline_exposure), method,
            16 if d == np.uint16 else 8, bool(linear), curve, bool(rotate), int(threads),
            bool(auto_bright), float(exposure), bool(half))


def read_raw(path):
    """Read a camera raw file (DNG and the makers' formats) into a :class:`RawFrame`.

    Raises ValueError with the tool's sentence for files it refuses.
    """
    if not hasattr(_orvex, "_read_camera_file"):
        raise ImportError("orvex was built without the camera file reader (Debian: libraw-dev)")
    d = _orvex._read_camera_file(str(path))
    return RawFrame(
        mosaic=d["mosaic"], pattern=d["pattern"].upper(), bits=d["bits"], black=d["black"],
        white=d["white"], as_shot_wb=d["as_shot_wb"], daylight_wb=d["daylight_wb"],
        camera_to_srgb=np.array(d["matrix"], np.float32).reshape(3, 3),
        orientation=d["orientation"], make=d["make"], model=d["model"],
        baseline_exposure=d["baseline_exposure"],
    )
