#!/usr/bin/python3
# SPDX-License-Identifier: BSD-3-Clause
"""The Range Squeezer's peer for bench/peers.py: a global Reinhard operator, file to file.

reinhard_peer.py IN.hdr OUT.jpg
Reads the Radiance file, tone maps it with OpenCV's Reinhard operator at its default settings
and writes an 8-bit JPEG of quality 90, as lftm does by default. Needs Debian's
python3-opencv, so it runs with the system interpreter.
"""
import sys

import cv2
import numpy as np


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: reinhard_peer.py IN.hdr OUT.jpg")
    hdr = cv2.imread(sys.argv[1], cv2.IMREAD_ANYDEPTH | cv2.IMREAD_COLOR)
    if hdr is None:
        sys.exit("cannot read " + sys.argv[1])
    mapped = cv2.createTonemapReinhard().process(hdr)
    out = np.clip(mapped * 255.0, 0, 255).astype(np.uint8)
    if not cv2.imwrite(sys.argv[2], out, [cv2.IMWRITE_JPEG_QUALITY, 90]):
        sys.exit("cannot write " + sys.argv[2])


if __name__ == "__main__":
    main()
