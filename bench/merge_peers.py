#!/usr/bin/python3
# SPDX-License-Identifier: BSD-3-Clause
"""lftm merge against OpenCV's pipeline (AlignMTB, CalibrateDebevec, MergeDebevec).

Accuracy: bracket sets made from the real HDR images of samples/ (-4, -2, 0, +2, +4 EV through a
camera-like curve with shot and read noise, 8-bit JPEG q95 with EXIF exposure and capture time
written by piexif), tripod, handheld (random shifts up to 10 px, rotations up to 0.35 degrees)
and with a moving bright object. Both merges are scaled once to the truth; the error is
|log2(merged / truth)| of luminance, median and 95th percentile, over pixels that some frame
measures (and, for the moving object, over where it passed).

Speed: five 24-megapixel JPEG frames merged as whole processes, in alternating pairs, with
wall time, CPU time (user + system) and peak RSS of each.

Needs Debian's python3-opencv, python3-pil, python3-piexif and the lftm module and tool of a
build tree:  bench/merge_peers.py --build build [--skip-speed] [--pairs 3]
"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

import cv2
import numpy as np
import piexif
from PIL import Image

EVS = [-4, -2, 0, 2, 4]
SAMPLES = ["golden_gate.hdr", "forest_360.hdr", "desk.exr"]
FULL_WELL = 6000.0   # electrons at the clipping point
READ_NOISE = 4.0     # electrons
SEED = 26


def camera_curve(light):
    """A film-like response: gamma with a soft shoulder, 1 at light 1."""
    g = np.power(np.clip(light, 0, None), 1 / 2.2)
    return np.clip(1.1 * g / (g + 0.1), 0, 1)


def expose(radiance, exposure, rng):
    """The 8-bit frame of `radiance` x `exposure` with shot and read noise."""
    electrons = np.clip(radiance * exposure, 0, 4) * FULL_WELL
    noisy = rng.poisson(electrons).astype(np.float32) + rng.normal(0, READ_NOISE, electrons.shape)
    return np.round(camera_curve(noisy / FULL_WELL) * 255).astype(np.uint8)


def warp(radiance, dx, dy, degrees):
    """The scene as a frame that moved by (dx, dy) and turned by `degrees` sees it."""
    h, w = radiance.shape[:2]
    m = cv2.getRotationMatrix2D(((w - 1) / 2, (h - 1) / 2), degrees, 1.0)
    m[:, 2] += (dx, dy)
    return cv2.warpAffine(radiance, m, (w, h), flags=cv2.INTER_LINEAR,
                          borderMode=cv2.BORDER_REFLECT)


def add_object(radiance, x, y, radius, light):
    out = radiance.copy()
    yy, xx = np.mgrid[0:out.shape[0], 0:out.shape[1]]
    out[(xx - x) ** 2 + (yy - y) ** 2 <= radius ** 2] = light
    return out


def save_jpeg(path, frame, seconds, index):
    exif = {"Exif": {
        piexif.ExifIFD.ExposureTime: (1, int(round(1 / seconds))) if seconds < 1
        else (int(round(seconds * 1000)), 1000),
        piexif.ExifIFD.FNumber: (8, 1),
        piexif.ExifIFD.ISOSpeedRatings: 100,
        piexif.ExifIFD.DateTimeOriginal: f"2026:01:01 12:00:0{index}".encode()}}
    Image.fromarray(frame).save(path, quality=95, exif=piexif.dump(exif))


def base_seconds(radiance):
    """The 0 EV time: the scene's median luminance at a fifth of the clipping level."""
    lum = luminance(radiance)
    return 0.18 / max(np.median(lum[lum > 0]), 1e-6)


def luminance(rgb):
    return 0.2126 * rgb[..., 0] + 0.7152 * rgb[..., 1] + 0.0722 * rgb[..., 2]


def make_set(radiance, folder, kind, rng):
    """Writes the five frames; returns their paths, times, the truth and the measured mask."""
    t0 = base_seconds(radiance)
    times = [t0 * 2.0 ** ev for ev in EVS]
    h, w = radiance.shape[:2]
    track = [(w * (0.3 + 0.1 * i), h * 0.5) for i in range(len(EVS))]
    paths, scenes = [], []
    for i, t in enumerate(times):
        scene = radiance
        if kind == "handheld" and i != 2:
            scene = warp(radiance, *rng.uniform(-10, 10, 2), rng.uniform(-0.35, 0.35))
        if kind == "moving":
            scene = add_object(radiance, *track[i], h * 0.05, 8.0 / t0)
        scenes.append(scene)
        paths.append(folder / f"{kind}_{i}.jpg")
        save_jpeg(paths[-1], expose(scene, t, rng), t, i)
    truth = scenes[2]
    # Light that some frame measures: above the longest frame's noise floor, below the
    # shortest frame's clipping point.
    mask = (luminance(truth) * times[-1] >= 0.002) & (truth.max(axis=2) * times[0] < 0.95)
    if kind == "moving":  # where the object passed, less where the reference shows it
        passed = np.zeros((h, w), bool)
        for i in (0, 1, 3, 4):
            passed |= luminance(add_object(np.zeros_like(radiance), *track[i], h * 0.05, 1)) > 0
        mask &= passed & (luminance(add_object(np.zeros_like(radiance), *track[2], h * 0.05, 1))
                          == 0)
    return paths, times, truth, mask


def opencv_merge(paths, times, align):
    frames = [cv2.imread(str(p)) for p in paths]
    if align:
        cv2.createAlignMTB().process(frames, frames)
    seconds = np.array(times, np.float32)
    response = cv2.createCalibrateDebevec().process(frames, seconds)
    merged = cv2.createMergeDebevec().process(frames, seconds, response)
    return merged[..., ::-1]  # RGB


def stops_error(merged, truth, mask, border):
    """Median and 95th percentile of |log2| luminance error after one global scale."""
    m, t = luminance(merged), luminance(truth)
    valid = mask & (t > 0) & (m > 0) & np.isfinite(m)
    if border:
        valid[:border] = valid[-border:] = False
        valid[:, :border] = valid[:, -border:] = False
    ratio = np.log2(m[valid] / t[valid])
    err = np.abs(ratio - np.median(ratio))
    return np.median(err), np.percentile(err, 95)


def accuracy(samples, work, lftm):
    rng = np.random.default_rng(SEED)
    print("accuracy: |log2| luminance error after one global scale (median / p95, stops)")
    print(f"{'set':28} {'lftm':>17} {'OpenCV':>17}")
    for name in SAMPLES:
        radiance = lftm.read(samples / name)
        for kind in ("tripod", "handheld", "moving"):
            paths, times, truth, mask = make_set(radiance, work, kind, rng)
            align = kind == "handheld"
            ours = lftm.merge(paths, deghost=kind == "moving")
            theirs = opencv_merge(paths, times, align)
            border = 16 if align else 0
            a = stops_error(ours, truth, mask, border)
            b = stops_error(theirs, truth, mask, border)
            print(f"{name + ' ' + kind:28} {a[0]:7.3f} / {a[1]:7.3f} {b[0]:7.3f} / {b[1]:7.3f}")


OPENCV_SCRIPT = """
import os, sys
os.environ["OPENCV_IO_ENABLE_OPENEXR"] = "1"  # before cv2 loads, for the .exr run
import cv2, numpy as np
paths, out, align = sys.argv[3:], sys.argv[1], sys.argv[2] == "1"
times = np.array([2.0 ** ev / 100 for ev in (-4, -2, 0, 2, 4)], np.float32)
frames = [cv2.imread(p) for p in paths]
if align:
    cv2.createAlignMTB().process(frames, frames)
response = cv2.createCalibrateDebevec().process(frames, times)
cv2.imwrite(out, cv2.createMergeDebevec().process(frames, times, response))
"""


# Runs a command from a fresh small process and prints its wall seconds, CPU seconds and peak
# RSS: a child's peak RSS counts from its parent's size at the fork, and this script's own
# arrays would hide the command's.
MEASURE_SCRIPT = """
import os, subprocess, sys, time
start = time.monotonic()
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL)
_, status, usage = os.wait4(child.pid, 0)
print(time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024, status)
"""


def run_measured(command):
    """Wall seconds, CPU seconds and peak RSS (MB) of one process."""
    printed = subprocess.run([sys.executable, "-c", MEASURE_SCRIPT, *map(str, command)],
                             check=True, capture_output=True, text=True).stdout.split()
    if printed[3] != "0":
        sys.exit(f"failed: {' '.join(map(str, command))}")
    return tuple(float(v) for v in printed[:3])


def speed_frames(samples, work, lftm):
    """Five 6000 x 4000 JPEG frames of golden_gate, enlarged."""
    radiance = cv2.resize(lftm.read(samples / "golden_gate.hdr"), (6000, 4000),
                          interpolation=cv2.INTER_CUBIC)
    rng = np.random.default_rng(SEED)
    t0 = base_seconds(radiance)
    paths = []
    for i, ev in enumerate(EVS):
        paths.append(work / f"big_{i}.jpg")
        save_jpeg(paths[-1], expose(radiance, t0 * 2.0 ** ev, rng), 2.0 ** ev / 100, i)
    return paths


def speed(samples, work, tool, lftm, pairs):
    paths = speed_frames(samples, work, lftm)
    runs = {
        "lftm merge --no-align (.exr)": [tool, "merge", "-q", "--no-align", *paths,
                                         work / "lftm.exr"],
        "OpenCV calibrate+merge (.hdr)": [sys.executable, "-c", OPENCV_SCRIPT,
                                          work / "cv.hdr", "0", *paths],
        "lftm merge, aligned (.exr)": [tool, "merge", "-q", *paths, work / "lftm_al.exr"],
        "OpenCV with AlignMTB (.hdr)": [sys.executable, "-c", OPENCV_SCRIPT,
                                        work / "cv_al.hdr", "1", *paths],
        "lftm merge --no-align (.hdr)": [tool, "merge", "-q", "--no-align", *paths,
                                         work / "lftm.hdr"],
        "OpenCV calibrate+merge (.exr)": [sys.executable, "-c", OPENCV_SCRIPT,
                                          work / "cv.exr", "0", *paths],
    }
    results = {name: [] for name in runs}
    for _ in range(pairs):  # alternating, so that other load falls on both alike
        for name, command in runs.items():
            results[name].append(run_measured(command))
    print(f"\nspeed: five 24-MP JPEG frames, median of {pairs} alternating runs")
    print(f"(load average before: {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores)")
    print(f"{'run':32} {'wall s':>8} {'CPU s':>8} {'peak MB':>8}")
    for name, values in results.items():
        wall, cpu, rss = np.median(np.array(values), axis=0)
        print(f"{name:32} {wall:8.2f} {cpu:8.2f} {rss:8.0f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build", help="the lftm build tree")
    parser.add_argument("--samples", default=pathlib.Path(__file__).parents[1] / "samples")
    parser.add_argument("--pairs", type=int, default=3)
    parser.add_argument("--skip-speed", action="store_true")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    sys.path.insert(0, str(build / "python"))
    import lftm  # noqa: E402  (the module of the build tree)
    cv2.setRNGSeed(SEED)
    with tempfile.TemporaryDirectory(prefix="merge_peers_") as folder:
        work = pathlib.Path(folder)
        accuracy(pathlib.Path(args.samples), work, lftm)
        if not args.skip_speed:
            speed(pathlib.Path(args.samples), work, build / "bin" / "lftm", lftm, args.pairs)


if __name__ == "__main__":
    main()
