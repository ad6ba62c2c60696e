#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Whole-process timings of the lftm tool where users wait, side by side with its peers.

peers.py BUILD_DIR [OTHER_BUILD_DIR] [--rounds N] [--only CASE,...]

Cases, each a whole process (or a batch of them) on images made from a bundled sample:
  booster   24.5 MP Radiance file to JPEG, Texture Booster, every core
  disk      the same in disk mode with the default memory budget
  squeezer  the same with the Range Squeezer
  reinhard  the same file through OpenCV's Reinhard operator (bench/reinhard_peer.py; needs
            Debian's python3-opencv), the Range Squeezer's peer
  batch     11 one-megapixel files into a folder, one process
  pairs     the same files as single-threaded processes, two at a time

The cases (and the builds) run in alternating rounds so that a busy spell of a shared machine
hits them alike; the table gives per case the median and the spread (min..max) of wall time,
the median CPU time (user + system) and the median peak resident memory. The ratios follow,
with the Texture Booster against its gradient-domain peer's published figures (5.72 s and
1342 MB for this image on a quiet 2-core machine), since that peer is not run here.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SAMPLE = os.path.join(ROOT, "samples", "golden_gate.hdr")
GRADIENT_PEER_SECONDS = 5.72
GRADIENT_PEER_MB = 1342.0
CASES = ["booster", "disk", "squeezer", "reinhard", "batch", "pairs"]


def run_measured(argvs, at_once=1):
    """Runs the commands to the end, at most at_once at a time; returns the wall seconds, the
    CPU seconds of them all and the largest peak RSS of one of them in MB."""
    start = time.monotonic()
    waiting, running, cpu, rss = list(argvs), {}, 0.0, 0.0
    while waiting or running:
        while waiting and len(running) < at_once:
            argv = waiting.pop(0)
            proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            running[proc.pid] = (proc, argv)  # kept, so that Popen does not reap it itself
        pid, status, usage = os.wait4(-1, 0)
        proc, argv = running.pop(pid)
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            sys.exit("failed: " + " ".join(argv))
        cpu += usage.ru_utime + usage.ru_stime
        rss = max(rss, usage.ru_maxrss / 1024.0)
    return time.monotonic() - start, cpu, rss


def case_commands(case, tool, images, out):
    """The commands of a case and how many run at once."""
    large = os.path.join(images, "large", "img_00.hdr")
    small = sorted(os.path.join(images, "small", f)
                   for f in os.listdir(os.path.join(images, "small")))
    jpg = os.path.join(out, "large.jpg")
    if case == "booster":
        return [[tool, "-q", large, jpg]], 1
    if case == "disk":
        return [[tool, "-q", "--disk", large, jpg]], 1
    if case == "squeezer":
        return [[tool, "-q", "-m", "squeezer", large, jpg]], 1
    if case == "reinhard":
        return [["/usr/bin/python3", os.path.join(HERE, "reinhard_peer.py"), large, jpg]], 1
    if case == "batch":
        return [[tool, "-q"] + small + [out + "/"]], 1
    if case == "pairs":
        return [[tool, "-q", "-j1", f, os.path.join(out, os.path.basename(f)[:-4] + ".jpg")]
                for f in small], 2
    raise ValueError(case)


def make_images(work):
    maker = os.path.join(HERE, "make_hdr_images.py")
    os.makedirs(os.path.join(work, "small"))
    os.makedirs(os.path.join(work, "large"))
    subprocess.run([sys.executable, maker, SAMPLE, os.path.join(work, "small"), "11", "1024",
                    "1024"], check=True)
    subprocess.run([sys.executable, maker, SAMPLE, os.path.join(work, "large"), "1", "6048",
                    "4048"], check=True)


def measure(builds, cases, rounds, work):
    results = {}
    out = os.path.join(work, "out")
    for _ in range(rounds):
        for case in cases:
            runners = ["peer"] if case == "reinhard" else builds
            for build in runners:
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)
                tool = os.path.join(build, "bin", "lftm")
                argvs, at_once = case_commands(case, tool, work, out)
                results.setdefault((case, build), []).append(run_measured(argvs, at_once))
    return results


def print_table(results, builds, cases):
    print("%-9s %-28s %8s %15s %8s %8s" % ("case", "build", "wall s", "min..max", "cpu s",
                                          "peak MB"))
    medians = {}
    for case in cases:
        for build in (["peer"] if case == "reinhard" else builds):
            runs = results[(case, build)]
            walls = [r[0] for r in runs]
            wall = statistics.median(walls)
            cpu = statistics.median(r[1] for r in runs)
            rss = statistics.median(r[2] for r in runs)
            medians[(case, build)] = (wall, cpu, rss)
            print("%-9s %-28s %8.2f %7.2f..%-6.2f %8.2f %8.0f" % (
                case, build[-28:], wall, min(walls), max(walls), cpu, rss))
    return medians


def print_ratios(medians, builds, cases):
    def ratio(a, b, what=0):
        if a in medians and b in medians:
            return "%.3f" % (medians[a][what] / medians[b][what])
        return "-"

    for build in builds:
        print("\nratios, %s:" % build)
        booster = medians.get(("booster", build))
        if booster:
            print("  booster / gradient peer   time %.2f  memory %.2f   (targets 0.35, 0.30)" % (
                booster[0] / GRADIENT_PEER_SECONDS, booster[2] / GRADIENT_PEER_MB))
        print("  squeezer / reinhard       time %s   (target 0.06)" % ratio(
            ("squeezer", build), ("reinhard", "peer")))
        print("  disk / memory             time %s   (target 1.25; disk peak at most 300 MB)"
              % ratio(("disk", build), ("booster", build)))
        print("  batch / pairs             time %s   (target 1.0)" % ratio(
            ("batch", build), ("pairs", build)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("builds", nargs="+")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--only", default=",".join(CASES))
    args = parser.parse_args()
    cases = [c for c in args.only.split(",") if c]
    builds = [os.path.abspath(b) for b in args.builds]
    with tempfile.TemporaryDirectory() as work:
        make_images(work)
        print("%d cores, load %s at start" % (os.cpu_count(), os.getloadavg()[0]))
        results = measure(builds, cases, args.rounds, work)
        print("%d cores, load %s at end, %d alternating rounds\n" % (
            os.cpu_count(), os.getloadavg()[0], args.rounds))
        medians = print_table(results, builds, cases)
        print_ratios(medians, builds, cases)


if __name__ == "__main__":
    main()
