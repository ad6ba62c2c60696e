"""Shared fixtures: the sample images, the lftm tool of the same build, and a reader for the
uncompressed TIFF files the tool writes with --compression none."""
import os
import pathlib
import struct
import subprocess

import numpy as np
import pytest

SAMPLES = pathlib.Path(os.environ.get("LFTM_TEST_DATA",
                                      pathlib.Path(__file__).parents[2] / "samples"))


@pytest.fixture(scope="session")
def samples():
    return SAMPLES


@pytest.fixture
def tool():
    """Runs the lftm tool (quietly, unless for info) and returns what it printed; skips
    without the tool."""
    path = os.environ.get("LFTM_TOOL")
    if not path or not os.path.exists(path):
        pytest.skip("LFTM_TOOL names no lftm tool")

    def run(*args):
        quiet = [] if args[0] == "info" else ["-q"]
        return subprocess.run([path, *quiet, *map(str, args)], check=True,
                              capture_output=True, text=True).stdout
    return run


def tiff_pixels(path):
    """The samples of an uncompressed, single-image TIFF as an array (H, W, samples)."""
    data = pathlib.Path(path).read_bytes()
    order = "<" if data[:2] == b"II" else ">"
    (ifd,) = struct.unpack_from(order + "I", data, 4)
    (count,) = struct.unpack_from(order + "H", data, ifd)
    tags = {}
    for i in range(count):
        entry = ifd + 2 + 12 * i
        tag, kind, n = struct.unpack_from(order + "HHI", data, entry)
        code, size = {3: ("H", 2), 4: ("I", 4)}.get(kind, ("B", 1))
        at = entry + 8
        if n * size > 4:
            (at,) = struct.unpack_from(order + "I", data, at)
        tags[tag] = struct.unpack_from(order + code * n, data, at)
    assert tags[259] == (1,), "the TIFF is compressed"
    width, height, spp, bits = tags[256][0], tags[257][0], tags[277][0], tags[258][0]
    strips = b"".join(data[o:o + n] for o, n in zip(tags[273], tags[279]))
    dtype = np.dtype(order + ("u2" if bits == 16 else "u1"))
    return np.frombuffer(strips, dtype).astype(dtype.newbyteorder("=")).reshape(height, width, spp)
