#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) in build-fuzz/ and runs
# them from their seed corpora and the inputs that once failed. New inputs go to a scratch
# corpus, not into the repository. A crash stops the script with the reproducer's path.
#   scripts/fuzz.sh [SECONDS]              each target for SECONDS seconds (default 30), in turn
#   scripts/fuzz.sh --campaign [MINUTES]   a campaign of MINUTES minutes (default 24): the
#                                          targets share the time, one per processor at a time;
#                                          prints each target's runs and the total
set -euo pipefail
cd "$(dirname "$0")/.."
campaign=0
if [ "${1:-}" = "--campaign" ]; then
  campaign=1
  shift
fi
jobs=$(nproc)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLFTM_BUILD_FUZZ=ON -DLFTM_SANITIZE=ON -DLFTM_BUILD_TESTS=OFF -DLFTM_BUILD_BENCH=OFF \
      -DLFTM_BUILD_SIBLINGS=ON
cmake --build build-fuzz -j "$jobs" --target lftm_fuzzers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
targets=(build-fuzz/bin/*_fuzz)

# Runs one target for $2 seconds; prints its runs, or its log's end and the reproducer.
fuzz_target() {
  local target=$1 seconds=$2 name
  name=$(basename "$target" _fuzz)
  mkdir -p "$work/$name" "$work/$name.artifacts"
  local args=(-max_total_time="$seconds" -max_len=16384 -timeout=20 -rss_limit_mb=4096
              -artifact_prefix="$work/$name.artifacts/")
  [ -f "fuzz/dict/$name.dict" ] && args+=(-dict="fuzz/dict/$name.dict")
  local seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  [ -d "fuzz/regressions/$name" ] && seeds+=("fuzz/regressions/$name")
  if ! "$target" "${args[@]}" "$work/$name" "${seeds[@]}" > "$work/$name.log" 2>&1; then
    echo "== $name failed"
    tail -40 "$work/$name.log"
    local crash
    crash=$(ls "$work/$name.artifacts"/* 2>/dev/null | head -1 || true)
    [ -n "$crash" ] && cp "$crash" build-fuzz/ && echo "reproducer: build-fuzz/$(basename "$crash")"
    return 1
  fi
  echo "== $name: $(grep -E '^Done [0-9]+ runs' "$work/$name.log" || tail -1 "$work/$name.log")"
}

if [ "$campaign" = 0 ]; then
  seconds=${1:-30}
  for target in "${targets[@]}"; do
    echo "== fuzz $(basename "$target" _fuzz) for ${seconds}s"
    fuzz_target "$target" "$seconds"
  done
  exit 0
fi

minutes=${1:-24}
# The targets run in rounds of one per processor; each round gets an equal share of the time.
rounds=$(( (${#targets[@]} + jobs - 1) / jobs ))
seconds=$(( minutes * 60 / rounds ))
echo "== campaign of ${minutes} min: ${#targets[@]} targets, ${seconds}s each, ${jobs} at a time"
failed=0
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || failed=1; done
  fuzz_target "$target" "$seconds" &
done
while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n || failed=1; done
total=$(awk '/^Done [0-9]+ runs/ { runs += $2 } END { print runs + 0 }' "$work"/*.log)
echo "== campaign total: $total runs"
exit "$failed"
