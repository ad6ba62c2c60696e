#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Tone maps every HDR file of an archive on a Dask cluster, one task per file.

    dask_batch.py [options] INPUT... OUTPUT_FOLDER

INPUT is an HDR file (.hdr, .exr, .tif, .tiff) or a folder searched for them, subfolders
included (their layout is kept under OUTPUT_FOLDER). Each task tone maps one file on one
thread, so a cluster of N worker processes works on N files at once. Without --scheduler
a local cluster with one worker process per processor of this machine is started.

A file that fails does not stop the others: the summary at the end lists each failure with
its message, and the exit status is 1.
"""
import argparse
import collections
import contextlib
import os
import pathlib
import sys

from dask.distributed import Client, LocalCluster, progress

import lftm

HDR_SUFFIXES = {".hdr", ".exr", ".tif", ".tiff"}


def tone_map_one(source, target, settings, bits):
    """One task: returns None, or the message of the failure."""
    try:
        pathlib.Path(target).parent.mkdir(parents=True, exist_ok=True)
        lftm.tonemap_file(source, target, bits=bits, threads=1, settings=settings)
        return None
    except Exception as error:  # reported in the summary, never fatal to the batch
        return f"{type(error).__name__}: {error}"


def find_jobs(inputs, out_dir, suffix):
    """(source, target) pairs; a folder's files keep their place below it."""
    jobs = []
    for given in map(pathlib.Path, inputs):
        if given.is_dir():
            for path in sorted(given.rglob("*")):
                if path.suffix.lower() in HDR_SUFFIXES and path.is_file():
                    jobs.append((path, out_dir / path.relative_to(given).with_suffix(suffix)))
        else:
            jobs.append((given, out_dir / (given.stem + suffix)))
    counts = collections.Counter(target for _, target in jobs)
    clashes = sorted(str(t) for t, n in counts.items() if n > 1)
    if clashes:
        sys.exit("several inputs would be written to " + ", ".join(clashes))
    return jobs


def number_or_text(text):
    try:
        return float(text)
    except ValueError:
        return text


def build_settings(args):
    """The settings of every task, checked here before any task starts."""
    settings = (lftm.Settings.load(args.settings, method=args.method) if args.settings
                else lftm.Settings(args.method or "booster"))
    for assignment in args.set:
        name, _, value = assignment.partition("=")
        setattr(settings, name, number_or_text(value))
    return settings


def worker_count(text):
    """--workers: a local cluster of no worker would wait for one forever."""
    count = int(text)
    if count < 1:
        raise argparse.ArgumentTypeError(f"needs at least 1 worker process, not {count}")
    return count


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("inputs", nargs="+", metavar="INPUT")
    parser.add_argument("out_dir", metavar="OUTPUT_FOLDER", type=pathlib.Path)
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="an existing Dask scheduler (tcp://host:8786); default: a local "
                             "cluster on this machine")
    parser.add_argument("--workers", type=worker_count, default=os.cpu_count(),
                        help="worker processes of the local cluster (default: one per processor)")
    parser.add_argument("--method", choices=["booster", "squeezer"])
    parser.add_argument("--settings", metavar="FILE", help="an XMP settings sidecar")
    parser.add_argument("--set", action="append", default=[], metavar="NAME=VALUE",
                        help="a setting by its sidecar name, e.g. --set Strength=80")
    parser.add_argument("--bits", type=int, choices=[8, 16], default=8)
    parser.add_argument("--format", choices=["jpg", "tif"],
                        help="output kind (default jpg, tif for 16 bits)")
    args = parser.parse_args()

    try:
        settings = build_settings(args)
    except (lftm.Error, TypeError, ValueError, AttributeError) as error:
        sys.exit(f"settings: {error}")
    suffix = "." + (args.format or ("tif" if args.bits == 16 else "jpg"))
    if suffix == ".jpg" and args.bits == 16:
        sys.exit("JPEG holds 8 bits a sample; use --format tif")
    jobs = find_jobs(args.inputs, args.out_dir, suffix)
    if not jobs:
        sys.exit("no HDR file found")

    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(Client(args.scheduler))
        else:
            cluster = stack.enter_context(LocalCluster(
                n_workers=args.workers, threads_per_worker=1, processes=True,
                dashboard_address=None))
            client = stack.enter_context(Client(cluster))
        futures = client.map(tone_map_one, [str(s) for s, _ in jobs],
                             [str(t) for _, t in jobs], settings=settings, bits=args.bits,
                             pure=False)
        progress(futures)
        failures = [(source, message)
                    for (source, _), message in zip(jobs, client.gather(futures)) if message]
    print(f"\n{len(jobs) - len(failures)} of {len(jobs)} files tone mapped into {args.out_dir}")
    for source, message in failures:
        print(f"failed: {source}: {message}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
