#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Writes run-length Radiance files made from a bundled sample, for the batch benchmarks.

make_hdr_images.py SAMPLE OUT_DIR COUNT WIDTH HEIGHT
Writes COUNT files OUT_DIR/img_NN.hdr of WIDTH x HEIGHT pixels: the sample repeated across
and down, each file starting at another place in it so that no two are alike.
"""
import re
import sys

RUN = re.compile(rb"(.)\1{3,}", re.S)


def read_rgbe(path):
    data = open(path, "rb").read()
    m = re.search(rb"\n-Y (\d+) \+X (\d+)\n", data)
    height, width = int(m.group(1)), int(m.group(2))
    pos = m.end()
    rows = []
    for _ in range(height):
        assert data[pos] == 2 and data[pos + 1] == 2, "run-length samples only"
        pos += 4
        planes = []
        for _ in range(4):
            out = bytearray()
            while len(out) < width:
                code = data[pos]
                if code > 128:
                    out += bytes([data[pos + 1]]) * (code - 128)
                    pos += 2
                else:
                    out += data[pos + 1:pos + 1 + code]
                    pos += 1 + code
            planes.append(bytes(out))
        rows.append(planes)
    return width, height, rows


def encode_component(comp):
    out = bytearray()
    i = 0

    def literal(end):
        nonlocal i
        while i < end:
            n = min(128, end - i)
            out.append(n)
            out.extend(comp[i:i + n])
            i += n

    for m in RUN.finditer(comp):
        literal(m.start())
        n = m.end() - m.start()
        while n >= 4:
            k = min(127, n)
            out += bytes([128 + k, comp[i]])
            i += k
            n -= k
        literal(i + n)
    literal(len(comp))
    return bytes(out)


def main():
    sample, out_dir, count, width, height = sys.argv[1:6]
    count, width, height = int(count), int(width), int(height)
    sw, sh, rows = read_rgbe(sample)
    for n in range(count):
        x0, y0 = (n * 97) % sw, (n * 61) % sh
        with open(f"{out_dir}/img_{n:02d}.hdr", "wb") as f:
            f.write(b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n" % (height, width))
            for y in range(height):
                planes = rows[(y0 + y) % sh]
                f.write(bytes([2, 2, width >> 8, width & 255]))
                for plane in planes:
                    wide = plane[x0:] + plane * (width // sw + 2)
                    f.write(encode_component(wide[:width]))


if __name__ == "__main__":
    main()
