#!/usr/bin/python3
# SPDX-License-Identifier: BSD-3-Clause
"""How far two builds' images lie apart, for the release notes when an output moves.

image_differences.py OLD_BUILD NEW_BUILD [--method booster|squeezer] [--disk]

Tone maps every bundled sample with both builds' lftm into an 8-bit JPEG and a 16-bit TIFF
and prints, per image, the largest difference of one sample and the share of samples that
differ. Reads the images with Debian's python3-opencv, so it runs with the system interpreter.
"""
import argparse
import glob
import os
import subprocess
import tempfile

import cv2
import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def render(build, sample, out, options):
    subprocess.run([os.path.join(build, "bin", "lftm"), "-q"] + options + [sample, out],
                   check=True)
    return cv2.imread(out, cv2.IMREAD_UNCHANGED).astype(np.int64)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--method", default="booster")
    parser.add_argument("--disk", action="store_true")
    args = parser.parse_args()
    print("%-28s %-5s %10s %12s" % ("sample", "kind", "max diff", "differing"))
    with tempfile.TemporaryDirectory() as work:
        for sample in sorted(glob.glob(os.path.join(ROOT, "samples", "*.*"))):
            if sample.endswith(".md") or (args.disk and sample.endswith(".tif")):
                continue
            for ext, depth in (("jpg", "8"), ("tif", "16")):
                options = ["-m", args.method, "--bits", depth] + (["--disk"] if args.disk else [])
                old = render(args.old, sample, os.path.join(work, "old." + ext), options)
                new = render(args.new, sample, os.path.join(work, "new." + ext), options)
                diff = np.abs(old - new)
                print("%-28s %-5s %10d %11.3f%%" % (os.path.basename(sample), ext, diff.max(),
                                                     100.0 * np.count_nonzero(diff) / diff.size))


if __name__ == "__main__":
    main()
