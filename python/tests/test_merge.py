# SPDX-License-Identifier: BSD-3-Clause
"""lftm.merge: frames as paths or as arrays give the same radiance, which is the radiance of the
tool's .exr, and bad frames are refused with the library's sentence."""
import struct
import zlib

import numpy as np
import pytest

import lftm

TIMES = [1 / 64, 1 / 16, 1 / 4]


def write_png(path, rgb):
    """Writes uint8 (H, W, 3) as a plain PNG (no EXIF: exposures are given)."""
    height, width, _ = rgb.shape
    raw = b"".join(b"\0" + rgb[y].tobytes() for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def bracket(tmp_path):
    """Three frames of a smooth scene over about 8 stops through a gamma camera."""
    y, x = np.mgrid[0:90, 0:120]
    light = np.exp2(x / 119 * 8 - 4)[..., None] * np.array([1.0, 0.8, 0.6])
    light = light * (1 + 0.3 * np.sin(y / 6))[..., None]
    frames, paths = [], []
    for i, t in enumerate(TIMES):
        frame = np.round(np.clip(light * t * 8, 0, 1) ** (1 / 2.2) * 255).astype(np.uint8)
        frames.append(frame)
        paths.append(tmp_path / f"f{i}.png")
        write_png(paths[-1], frame)
    return frames, paths


def as_rgbe(rgb):
    """The values a Radiance or OpenEXR file reads back as (the library's RGBE rounding)."""
    top = rgb.max(axis=2, keepdims=True).astype(np.float64)
    _, e = np.frexp(top)
    e = e + 128
    e = np.where(np.floor(np.ldexp(top, 136 - e) + 0.5) > 255, e + 1, e)
    mantissa = np.minimum(np.floor(np.ldexp(rgb.astype(np.float64), 136 - e) + 0.5), 255)
    return np.where(top > 0, np.ldexp(mantissa, e - 136), 0).astype(np.float32)


def test_paths_and_arrays_merge_to_the_tools_radiance(tmp_path, tool):
    frames, paths = bracket(tmp_path)
    from_paths = lftm.merge(paths, exposures=TIMES)
    assert from_paths.dtype == np.float32 and from_paths.shape == (90, 120, 3)
    assert np.isfinite(from_paths).all() and (from_paths >= 0).all()
    grey = [np.ascontiguousarray(f[..., 1]) for f in frames]
    assert np.array_equal(lftm.merge(frames, exposures=TIMES), from_paths)
    assert lftm.merge(grey, exposures=TIMES, align=False).shape == (90, 120, 3)
    times = ",".join(str(t) for t in TIMES)
    tool("merge", "--exposures", times, *paths, tmp_path / "tool.exr")
    assert np.array_equal(lftm.read(tmp_path / "tool.exr"), as_rgbe(from_paths))


def test_refuses_frames_it_cannot_merge(tmp_path):
    frames, paths = bracket(tmp_path)
    with pytest.raises(ValueError, match="exposures"):
        lftm.merge(frames)
    with pytest.raises(TypeError, match="all paths or all numpy arrays"):
        lftm.merge([paths[0], frames[1]], exposures=TIMES[:2])
    with pytest.raises(lftm.Error, match="frame 2 is 60x90 but frame 1 is 120x90") as caught:
        lftm.merge([frames[0], frames[1][:, :60]], exposures=TIMES[:2], align=False)
    assert caught.value.code == -71
    (tmp_path / "cut.png").write_bytes(paths[1].read_bytes()[:300])
    with pytest.raises(lftm.Error, match="cut.png is damaged or cut short"):
        lftm.merge([paths[0], tmp_path / "cut.png"], exposures=TIMES[:2])
    with pytest.raises(lftm.Cancelled):
        lftm.merge(paths, exposures=TIMES, progress=lambda done: True)
