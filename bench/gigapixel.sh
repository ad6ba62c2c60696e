#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Tone maps a synthesised panorama and reports what it cost: wall time, peak memory, scratch
# space and bytes moved. Not part of the test suite (a gigapixel run takes many minutes).
#
#   bench/gigapixel.sh [--size WxH] [--memory] [--memory-limit SIZE] [--bits 8|16]
#                      [--build DIR] [--keep]
#
# Default: 42000 x 24540 (1.03 gigapixels) in disk mode, 8-bit JPEG output. The panorama is
# the bundled golden_gate.hdr tiled (mirrored) into a flat Radiance file in $TMPDIR (about 4
# bytes a pixel), which is removed afterwards like the output, unless --keep. The run's
# scratch files go to a folder of their own in $TMPDIR, watched for its peak size.
set -euo pipefail
cd "$(dirname "$0")/.."

size=42000x24540
mode=--disk
limit=()
bits=8
build=build
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --memory) mode=""; shift ;;
    --memory-limit) limit=(--memory-limit "$2"); shift 2 ;;
    --bits) bits=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--size WxH] [--memory] [--memory-limit SIZE] [--bits 8|16] [--build DIR] [--keep]" >&2
       exit 2 ;;
  esac
done
width=${size%x*}
height=${size#*x}
tool=$build/bin/lftm
[ -x "$tool" ] || { echo "no $tool: build first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is missing: scripts/setup.sh installs it" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/gigapixel.XXXXXX")
watcher=""
cleanup() {
  [ -n "$watcher" ] && kill "$watcher" 2>/dev/null || true
  [ "$keep" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/scratch"

c++ -O2 -o "$work/tile_rgbe" bench/tile_rgbe.cc
input=$work/panorama.hdr
start=$(date +%s)
"$work/tile_rgbe" samples/golden_gate.hdr "$width" "$height" "$input"
echo "synthesised $width x $height ($(du -h "$input" | cut -f1)) in $(( $(date +%s) - start )) s"

ext=jpg
[ "$bits" = 16 ] && ext=tif
output=$work/panorama.$ext

# The scratch folder's peak size, sampled twice a second.
( peak=0
  while :; do
    now=$(du -sb "$work/scratch" 2>/dev/null | cut -f1)
    [ "${now:-0}" -gt "$peak" ] && peak=$now && echo "$peak" > "$work/scratch_peak"
    sleep 0.5
  done ) &
watcher=$!

set +e
TMPDIR=$work/scratch /usr/bin/time -v -o "$work/time.txt" \
  "$tool" $mode "${limit[@]}" --bits "$bits" --verbose "$input" "$output" > "$work/run.log" 2>&1
status=$?
set -e
kill "$watcher" 2>/dev/null || true
wait "$watcher" 2>/dev/null || true
watcher=""

field() { grep -F "$1" "$work/time.txt" | sed 's/.*: //'; }
echo "run:            lftm ${mode:---memory} ${limit[*]} --bits $bits, $width x $height, exit $status"
[ "$status" = 0 ] || grep -v "^ \|tresPetit" "$work/run.log" | tail -5
echo "wall time:      $(field 'Elapsed (wall clock)')"
echo "user / system:  $(field 'User time') s / $(field 'System time') s"
kb=$(field 'Maximum resident set size')
echo "peak memory:    $((kb / 1024)) MB"
peak=$(cat "$work/scratch_peak" 2>/dev/null || echo 0)
echo "scratch peak:   $((peak / 1000000)) MB"
in=$(field 'File system inputs')
out=$(field 'File system outputs')
echo "disk moved:     $((in * 512 / 1000000)) MB read, $((out * 512 / 1000000)) MB written (block I/O)"
moved=$(grep -E "^scratch bytes" "$work/run.log" | tail -1 || true)
[ -n "$moved" ] && echo "$moved"
[ -f "$output" ] && echo "output:         $(du -h "$output" | cut -f1)"
echo "(the machine may be shared: wall time depends on what else runs)"
exit "$status"
