# SPDX-License-Identifier: BSD-3-Clause
"""The module gives the bits of the lftm tool for the same file and settings, from a file and
from pixels in memory, and several Python threads may tone map at once."""
import threading

import numpy as np
import pytest

import lftm

RUNS = [
    ("golden_gate.hdr", "booster", {}),
    ("desk.exr", "booster", {"Strength": 55.55, "Gamma": 1.23, "Smoothing": "Low"}),
    ("forest_360.hdr", "squeezer", {"Brightness": 2.35, "Saturation": 3}),
    ("golden_gate_linear16.tif", "booster", {"ColorSaturation": 60}),
]


@pytest.mark.parametrize("name,method,named", RUNS, ids=[r[0] for r in RUNS])
def test_same_bits_as_the_tool(samples, tool, tmp_path, name, method, named):
    options = [a for key, value in named.items() for a in (f"--{key}", str(value))]
    source = samples / name
    tool("--method", method, "--bits", "16", *options, source, tmp_path / "tool.tif")
    lftm.tonemap_file(source, tmp_path / "module.tif", method=method, bits=16, **named)
    assert (tmp_path / "module.tif").read_bytes() == (tmp_path / "tool.tif").read_bytes()

    if not name.endswith(".tif"):  # pixels in memory are taken as the OpenEXR reader gives them
        in_memory = lftm.tonemap(lftm.read(source), method=method, bits=16, **named)
        # A 16-bit TIFF reads back linear, as sample / 65535.
        made = np.rint(lftm.read(tmp_path / "tool.tif").astype(np.float64) * 65535)
        assert np.array_equal(in_memory, made)

    if name != "forest_360.hdr":  # the JPEG writer once, on the quickest run
        return
    tool("--method", method, *options, source, tmp_path / "tool.jpg")
    lftm.tonemap_file(str(source), str(tmp_path / "module.jpg"), method=method, **named)
    assert (tmp_path / "module.jpg").read_bytes() == (tmp_path / "tool.jpg").read_bytes()


def test_info_matches_the_tool(samples, tool):
    for name in ("golden_gate.hdr", "desk.exr", "golden_gate_linear16.tif"):
        about = lftm.info(samples / name)
        printed = tool("info", samples / name)
        assert f"{about['width']} x {about['height']} pixels" in printed
        assert printed.split("format:")[1].strip().startswith(about["format"])
        assert (f"log luminance:  min {about['log_min']:.3f}  max {about['log_max']:.3f}  "
                f"mean {about['log_mean']:.3f}") in printed
        assert f"geometric mean {about['lum_geomean']:.4g}" in printed
        assert f"dynamic range:  {about['dynamic_range_stops']:.1f} stops" in printed


def test_four_python_threads_at_once_match_solo_runs(samples):
    gate = lftm.read(samples / "golden_gate.hdr")
    images = [gate[:240, :400], lftm.read(samples / "desk.exr")[:300],
              lftm.read(samples / "forest_360.hdr")[:, :512], gate[400:640, 500:900]]
    methods = ["booster", "booster", "squeezer", "booster"]
    solo = [lftm.tonemap(image, method=m, threads=2) for image, m in zip(images, methods)]
    together = [None] * 4
    start = threading.Barrier(4)

    def work(i):
        start.wait()
        together[i] = lftm.tonemap(images[i], method=methods[i], threads=2,
                                   progress=lambda fraction: None)
    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(solo, together):
        assert b is not None and np.array_equal(a, b)
