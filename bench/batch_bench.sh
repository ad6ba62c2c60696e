#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Wall times of the lftm tool where users wait: a batch of one-megapixel Radiance files into a
# folder, against the same files as two single-threaded processes at a time, and one
# 24.5-megapixel Radiance file to JPEG. The images are made from a bundled sample in a
# temporary folder. Each figure is the best of REPEAT runs (the machine may be shared).
#   bench/batch_bench.sh BUILD_DIR [OTHER_BUILD_DIR]   (REPEAT=3 COUNT=11 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
builds=("$@")
repeat=${REPEAT:-3}
count=${COUNT:-11}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/small" "$work/large"
python3 bench/make_hdr_images.py samples/golden_gate.hdr "$work/small" "$count" 1024 1024
python3 bench/make_hdr_images.py samples/golden_gate.hdr "$work/large" 1 6048 4048

# best WHAT COMMAND...: runs the command REPEAT times and prints the shortest wall time.
best() {
  local what=$1 best="" t
  shift
  for _ in $(seq "$repeat"); do
    rm -rf "$work/out"
    mkdir -p "$work/out"
    /usr/bin/time -o "$work/time" -f "%e" "$@" >/dev/null 2>&1
    t=$(tail -1 "$work/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  printf "%-58s %6.2f s\n" "$what" "$best"
}

for build in "${builds[@]}"; do
  tool="$build/bin/lftm"
  echo "== $tool ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
  best "batch of $count x 1 MP into a folder" "$tool" -q "$work"/small/*.hdr "$work/out/"
  best "same, two single-threaded processes at a time" \
    sh -c "ls '$work'/small/*.hdr | xargs -P 2 -I{} sh -c \
           '\"$tool\" -q -j1 {} \"$work/out/\$(basename {} .hdr).jpg\"'"
  best "24.5 MP Radiance to JPEG" "$tool" -q "$work/large/img_00.hdr" "$work/out/large.jpg"
done
