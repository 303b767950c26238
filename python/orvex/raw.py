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

    def develop(self, method="dlmmse", wb="camera", dtype=np.uint8, black=None, white=None,
                matrix=True, linear=False, rotate=True, threads=0):
        """The colour image ``orvex convert`` writes for the same options.

        wb: "camera", "daylight", "none" or (R, G, B); black: one level or four per site;
        white: the saturation level; matrix: apply ``camera_to_srgb``; linear: no sRGB curve
        (16-bit outputs are always linear); rotate: apply the orientation.
        """
        if isinstance(wb, str):
            choices = {"camera": self.as_shot_wb, "daylight": self.daylight_wb, "none": [1, 1, 1]}
            if wb not in choices:
                raise ValueError(f"wb: 'camera', 'daylight', 'none' or (R, G, B), not {wb!r}")
            gains = [np.float32(g) for g in choices[wb]]
        else:
            r, g, b = (np.float32(v) for v in wb)
            if not g > 0:
                raise ValueError("wb: green must be above 0")
            gains = [r / g, np.float32(1), b / g]
        d = np.dtype(dtype)
        if d not in (np.uint8, np.uint16):
            raise TypeError(f"dtype: uint8 or uint16, not {d}")
        levels = self.black if black is None else black
        rgb = _orvex.demosaic(
            self.mosaic, pattern=self.pattern, method=method, bits=self.bits, threads=threads,
            dtype=d, black=levels, white=self.white if white is None else white,
            gain=[float(g) for g in gains],
            matrix=[float(v) for v in self.camera_to_srgb.ravel()] if matrix else None,
            transfer="linear" if linear or d == np.uint16 else "srgb",
        )
        if rotate:
            if self.orientation & 2:
                rgb = rgb[::-1]
            if self.orientation & 1:
                rgb = rgb[:, ::-1]
            if self.orientation & 4:
                rgb = rgb.transpose(1, 0, 2)
        return np.ascontiguousarray(rgb)


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
    )
