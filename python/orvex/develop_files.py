"""Camera files developed into an output folder by the tool's rules: each output named for its
input's stem, written to a hidden temporary file beside it and moved into place only when
whole; an existing file is never replaced unless asked, an input never."""

import dataclasses
import os
import tempfile

import numpy as np

FORMATS = ("ppm", "npy")


@dataclasses.dataclass
class Developed:
    """What became of one file of a batch: its output, or why there is none."""

    input: str
    output: str
    error: object = None  # None, or the sentence saying why the file failed

    @property
    def ok(self):
        return self.error is None


def _stem(path):
    base = os.path.basename(path)
    dot = base.rfind(".")
    return base if dot <= 0 else base[:dot]


def plan_outputs(paths, out_dir, format, force):
    """The output of each input, checked before anything is read or written."""
    if isinstance(paths, (str, os.PathLike)):
        raise TypeError("paths: a sequence of file names, not one name")
    paths = [os.fspath(p) for p in paths]
    if not isinstance(format, str) or format not in FORMATS:
        raise ValueError(f"format: one of {', '.join(FORMATS)}, not {format!r}")
    out_dir = os.fspath(out_dir)
    if not os.path.isdir(out_dir):
        raise ValueError(f"out_dir: {out_dir}: not a folder")
    outputs = [os.path.join(out_dir, f"{_stem(p)}.{format}") for p in paths]
    seen = {}
    for path, out in zip(paths, outputs):
        if out in seen:
            raise ValueError(f"paths: {seen[out]} and {path} would both be written to {out}")
        seen[out] = path
    inputs = {os.path.realpath(p) for p in paths}
    for out in outputs:
        if os.path.realpath(out) in inputs:
            raise ValueError(f"{out}: an input of the batch, never replaced")
        if not force and os.path.lexists(out):
            raise ValueError(f"{out}: exists (use force=True to replace it)")
    return paths, outputs


def _encode(rgb, format):
    if format == "npy":
        import io

        buffer = io.BytesIO()
        np.save(buffer, rgb)
        return buffer.getvalue()
    top = 255 if rgb.dtype == np.uint8 else 65535
    head = f"P6\n{rgb.shape[1]} {rgb.shape[0]}\n{top}\n".encode()
    return head + rgb.astype(">u2" if top > 255 else np.uint8).tobytes()


def write_new(path, data, force):
    """Writes data to path through a temporary file beside it; without force an existing
    path (even one that appeared meanwhile) is left as it is and an error raised."""
    folder, name = os.path.split(path)
    fd, temp = tempfile.mkstemp(prefix=f".{name}.tmp-", dir=folder or ".")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.chmod(temp, 0o644)
        if force:
            os.replace(temp, path)
        else:
            try:
                os.link(temp, path)  # fails where the path exists: never replaced silently
            except FileExistsError:
                raise FileExistsError(f"{path}: exists (use force=True to replace it)") from None
    finally:
        if os.path.lexists(temp):
            os.unlink(temp)


def develop_one(path, output, format, force, options):
    """Reads, develops and writes one file; any failure is reported, not raised."""
    from . import read_raw

    try:
        rgb = read_raw(path).develop(**options)
        write_new(output, _encode(rgb, format), force)
        return Developed(path, output)
    except (OSError, ValueError, TypeError, MemoryError) as error:
        return Developed(path, output, str(error))
