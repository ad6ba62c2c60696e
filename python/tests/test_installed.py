# SPDX-License-Identifier: BSD-3-Clause
"""An installed prefix, moved after installing, imports the module without any library
path: the module finds liblftm.so, and liblftm.so its sibling libraries, inside the prefix."""
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

PROGRAM = """
import sys, lftm
print(lftm.__file__)
print(lftm.tonemap(lftm.read(sys.argv[1])).shape)
lftm.tonemap_file(sys.argv[1], sys.argv[2])
print([line.split()[-1] for line in open("/proc/self/maps") if "liblftm.so" in line][0])
"""


def test_moved_prefix_imports_and_runs(samples, tmp_path):
    build, cmake = os.environ.get("LFTM_BUILD_DIR"), os.environ.get("LFTM_CMAKE")
    if not build or not cmake:
        pytest.skip("LFTM_BUILD_DIR and LFTM_CMAKE name no build tree")
    staging, prefix = tmp_path / "staging", tmp_path / "prefix"
    for component in ("runtime", "python"):
        subprocess.run([cmake, "--install", build, "--prefix", staging, "--component", component],
                       check=True, capture_output=True)
    shutil.move(staging, prefix)

    env = {k: v for k, v in os.environ.items() if k != "LD_LIBRARY_PATH"}
    env["PYTHONPATH"] = str(prefix / os.environ.get("LFTM_PYTHON_DIR", "lib/python3/dist-packages"))
    run = subprocess.run([sys.executable, "-c", PROGRAM, str(samples / "golden_gate.hdr"),
                          str(tmp_path / "out.jpg")],
                         capture_output=True, text=True, env=env, cwd=tmp_path)
    assert run.returncode == 0, run.stderr
    module, shape, library = run.stdout.split("\n")[:3]
    assert pathlib.Path(module).is_relative_to(prefix)
    assert shape == "(860, 1262, 3)"
    assert pathlib.Path(library).is_relative_to(prefix)
    assert (tmp_path / "out.jpg").stat().st_size > 0
