# SPDX-License-Identifier: BSD-3-Clause
"""Shared fixtures: the sample images, the lftm tool of the same build, and a writer of small
Radiance files."""
import os
import pathlib
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
        # A command's options follow its name.
        command = list(args[:1]) if args[0] in ("info", "merge") else []
        quiet = [] if args[0] == "info" else ["-q"]
        return subprocess.run([path, *command, *quiet, *map(str, args[len(command):])],
                              check=True, capture_output=True, text=True).stdout
    return run


def write_radiance(path, rgb):
    """Writes float pixels (H, W, 3) as a Radiance file with flat (unencoded) rows."""
    height, width, _ = rgb.shape
    top = rgb.max(axis=2)
    mantissa, exponent = np.frexp(top)
    lit = top > 1e-32
    scale = np.where(lit, mantissa * 256 / np.where(lit, top, 1), 0)
    rgbe = np.empty((height, width, 4), np.uint8)
    rgbe[..., :3] = rgb * scale[..., None]
    rgbe[..., 3] = np.where(lit, exponent + 128, 0)
    header = f"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y {height} +X {width}\n"
    pathlib.Path(path).write_bytes(header.encode() + rgbe.tobytes())
