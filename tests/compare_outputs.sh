#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Compares the images two builds of the lftm tool make, bit for bit: every bundled sample with
# both methods, 8-bit JPEG and 16-bit TIFF, memory and (Texture Booster, non-TIFF) disk mode,
# and one run with non-default settings. Used around changes that must not change any result:
#   tests/compare_outputs.sh OLD_BUILD_DIR NEW_BUILD_DIR
# Exits 0 when every output is identical, 1 when any differs or a run fails.
set -uo pipefail
cd "$(dirname "$0")/.."
old=$1
new=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=0
differ=0
compare() {  # name, then the arguments before INPUT OUTPUT: input ext out
  local name=$1 input=$2 ext=$3
  shift 3
  local a="$work/old_$name.$ext" b="$work/new_$name.$ext"
  "$old/bin/lftm" -q "$@" "$input" "$a" || { echo "old build failed: $name"; differ=1; return; }
  "$new/bin/lftm" -q "$@" "$input" "$b" || { echo "new build failed: $name"; differ=1; return; }
  runs=$((runs + 1))
  cmp -s "$a" "$b" || { echo "differs: $name"; differ=1; }
}
for sample in samples/*.hdr samples/*.exr samples/*.tif; do
  stem=$(basename "$sample")
  for method in booster squeezer; do
    compare "${stem}_${method}_8" "$sample" jpg -m "$method"
    compare "${stem}_${method}_16" "$sample" tif -m "$method" --bits 16
    if [ "$method" = booster ] && [ "${sample##*.}" != tif ]; then
      compare "${stem}_disk_8" "$sample" jpg --disk
      compare "${stem}_disk_16" "$sample" tif --disk --bits 16
    fi
  done
done
compare settings_booster samples/golden_gate.hdr tif --bits 16 --Strength 80 --Gamma 1.2 \
  --Smoothing 3 --SmoothingMode Slider --Microcontrast 4 --ColorTemperature 2
compare settings_squeezer samples/desk.exr tif -m squeezer --bits 16 --Brightness 3 \
  --Contrast -2 --Saturation 4 --WhiteClip 1
echo "$runs runs compared"
exit $differ
