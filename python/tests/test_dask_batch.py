# SPDX-License-Identifier: BSD-3-Clause
"""The Dask batch example on a local cluster of two worker processes: every good file comes
out as the module makes it with the same settings (and the module as the tool, see
test_same_as_tool.py), and a damaged one is reported without stopping the batch."""
import os
import pathlib
import subprocess
import sys

import pytest

import lftm
from conftest import write_radiance

pytest.importorskip("dask.distributed")

EXAMPLE = pathlib.Path(__file__).parents[2] / "examples" / "dask_batch.py"


def test_batch_matches_the_module_and_reports_the_bad_file(samples, tmp_path):
    # Small crops keep the tasks short: what is tested is the batch, not the tone mapping.
    archive = tmp_path / "archive"
    (archive / "day2").mkdir(parents=True)
    crops = {"gate.hdr": lftm.read(samples / "golden_gate.hdr")[300:396, 500:628],
             "day2/desk.hdr": lftm.read(samples / "desk.exr")[400:480, 200:300],
             "day2/forest.HDR": lftm.read(samples / "forest_360.hdr")[200:264, :96]}
    for name, pixels in crops.items():
        write_radiance(archive / name, pixels)
    (archive / "day2" / "broken.hdr").write_bytes(b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 9")
    (archive / "notes.txt").write_text("not an image")

    out = tmp_path / "out"
    run = subprocess.run([sys.executable, str(EXAMPLE), "--workers", "2", "--set", "Strength=60",
                          str(archive), str(tmp_path / "gone.hdr"), str(out)],
                         capture_output=True, text=True, timeout=240, env=os.environ)
    assert run.returncode == 1, run.stderr
    assert "3 of 5 files tone mapped" in run.stdout
    failed = [line for line in run.stdout.splitlines() if line.startswith("failed:")]
    assert len(failed) == 2 and "broken.hdr: Error:" in failed[0]
    assert "gone.hdr: Error: " in failed[1] and "there is no such file" in failed[1]

    for name in crops:
        lftm.tonemap_file(archive / name, tmp_path / "expected.jpg", Strength=60)
        made = out / pathlib.Path(name).with_suffix(".jpg")
        assert made.read_bytes() == (tmp_path / "expected.jpg").read_bytes(), made
    assert not (out / "day2" / "broken.jpg").exists()


def test_no_workers_is_refused_at_once(tmp_path):
    run = subprocess.run([sys.executable, str(EXAMPLE), "--workers", "0", str(tmp_path),
                          str(tmp_path / "out")],
                         capture_output=True, text=True, timeout=60, env=os.environ)
    assert run.returncode == 2 and "--workers" in run.stderr, run.stderr
