"""Small DNGs written from scratch for the tests: a 12-bit mosaic of any pattern with black
levels per site, a white level, an as-shot neutral, a colour matrix and an orientation."""

import struct

import numpy as np

CELLS = {"RGGB": (0, 1, 1, 2), "GRBG": (1, 0, 2, 1), "GBRG": (1, 2, 0, 1), "BGGR": (2, 1, 1, 0)}
XYZ_TO_SRGB = (3.2406, -1.5372, -0.4986, -0.9689, 1.8758, 0.0415, 0.0557, -0.2040, 1.0570)


def write_dng(path, mosaic, pattern="RGGB", orientation=1, black=(64, 65, 66, 67), white=4000,
              neutral=(0.5, 1.0, 0.8)):
    """Writes the H x W uint16 mosaic as an uncompressed little-endian DNG."""
    height, width = mosaic.shape
    pixels = np.ascontiguousarray(mosaic, "<u2").tobytes()

    def rationals(values, signed=False):
        return [(int(round(v * 10000)), 10000) for v in values], 10 if signed else 5

    entries = {  # tag: (type, values)
        254: (4, [0]), 256: (4, [width]), 257: (4, [height]), 258: (3, [16]), 259: (3, [1]),
        262: (3, [32803]), 271: (2, b"Orvex\0"), 272: (2, b"Synthetic\0"), 273: (4, [0]),
        274: (3, [orientation]), 277: (3, [1]), 278: (4, [height]), 279: (4, [len(pixels)]),
        284: (3, [1]), 33421: (3, [2, 2]), 33422: (1, list(CELLS[pattern])),
        50706: (1, [1, 4, 0, 0]), 50707: (1, [1, 1, 0, 0]), 50708: (2, b"Orvex Synthetic\0"),
        50713: (3, [2, 2]), 50714: (3, list(black)), 50717: (3, [white]),
        50721: rationals(XYZ_TO_SRGB, True)[::-1], 50728: rationals(neutral)[::-1],
        50778: (3, [21]),
    }
    sizes = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 10: 8}
    formats = {1: "B", 3: "H", 4: "I"}
    ifd_size = 2 + 12 * len(entries) + 4
    data_at = 8 + ifd_size
    extra = b""
    fields = []
    for tag in sorted(entries):
        kind, values = entries[tag]
        if kind == 2:
            payload = values
        elif kind in (5, 10):
            payload = b"".join(struct.pack("<ii" if kind == 10 else "<II", n, d) for n, d in values)
        else:
            payload = struct.pack("<" + formats[kind] * len(values), *values)
        count = len(payload) // sizes[kind]
        fields.append((tag, kind, count, payload))
        if len(payload) > 4:
            extra += payload + b"\0" * (len(payload) % 2)
    pixels_at = data_at + len(extra)
    ifd, extra_at = struct.pack("<H", len(fields)), data_at
    for tag, kind, count, payload in fields:
        if tag == 273:
            payload = struct.pack("<I", pixels_at)
        if len(payload) > 4:
            ifd += struct.pack("<HHII", tag, kind, count, extra_at)
            extra_at += len(payload) + len(payload) % 2
        else:
            ifd += struct.pack("<HHI", tag, kind, count) + payload.ljust(4, b"\0")
    ifd += struct.pack("<I", 0)
    with open(path, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", 8) + ifd + extra + pixels)
