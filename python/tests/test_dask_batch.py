"""The Dask batch example on a local cluster of two worker processes: every good file comes
out as the tool makes it, and a damaged one is reported without stopping the batch."""
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

pytest.importorskip("dask.distributed")

EXAMPLE = pathlib.Path(__file__).parents[2] / "examples" / "dask_batch.py"


def test_batch_matches_the_tool_and_reports_the_bad_file(samples, tool, tmp_path):
    archive = tmp_path / "archive"
    (archive / "day2").mkdir(parents=True)
    names = ["golden_gate.hdr", "desk.exr", "forest_360.hdr", "golden_gate_linear16.tif"]
    for name in names:
        shutil.copy(samples / name, archive / name)
    shutil.copy(samples / "desk.exr", archive / "day2" / "desk_again.exr")
    shutil.copy(samples / "forest_360.hdr", archive / "day2" / "forest.HDR")
    (archive / "day2" / "broken.hdr").write_bytes(b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 9")

    out = tmp_path / "out"
    run = subprocess.run([sys.executable, str(EXAMPLE), "--workers", "2", "--set", "Strength=60",
                          str(archive), str(out)],
                         capture_output=True, text=True, timeout=240, env=os.environ)
    assert run.returncode == 1, run.stderr
    assert "6 of 7 files tone mapped" in run.stdout
    failed = [line for line in run.stdout.splitlines() if line.startswith("failed:")]
    assert len(failed) == 1 and "broken.hdr: Error:" in failed[0]

    # Each original once through the tool; the copies must come out the same.
    made = {name: out / pathlib.Path(name).with_suffix(".jpg") for name in names}
    made["desk.exr"] = [made["desk.exr"], out / "day2" / "desk_again.jpg"]
    made["forest_360.hdr"] = [made["forest_360.hdr"], out / "day2" / "forest.jpg"]
    for name, targets in made.items():
        tool("--Strength", "60", samples / name, tmp_path / "tool.jpg")
        expected = (tmp_path / "tool.jpg").read_bytes()
        for target in targets if isinstance(targets, list) else [targets]:
            assert target.read_bytes() == expected, target
    assert not (out / "day2" / "broken.jpg").exists()
