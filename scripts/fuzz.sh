#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) in build-fuzz/ and runs
# each for SECONDS seconds (default 30) from its seed corpus and the inputs that once failed.
# New inputs go to a scratch corpus, not into the repository. A crash stops the script with
# the reproducer's path.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
jobs=$(nproc)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLFTM_BUILD_FUZZ=ON -DLFTM_SANITIZE=ON -DLFTM_BUILD_TESTS=OFF -DLFTM_BUILD_BENCH=OFF \
      -DLFTM_BUILD_SIBLINGS=ON
cmake --build build-fuzz -j "$jobs" --target lftm_fuzzers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in build-fuzz/bin/*_fuzz; do
  name=$(basename "$target" _fuzz)
  mkdir -p "$work/$name"
  args=(-max_total_time="$seconds" -max_len=16384 -timeout=20 -rss_limit_mb=4096
        -artifact_prefix="$work/")
  [ -f "fuzz/dict/$name.dict" ] && args+=(-dict="fuzz/dict/$name.dict")
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  [ -d "fuzz/regressions/$name" ] && seeds+=("fuzz/regressions/$name")
  echo "== fuzz $name for ${seconds}s"
  if ! "$target" "${args[@]}" "$work/$name" "${seeds[@]}" > "$work/$name.log" 2>&1; then
    tail -40 "$work/$name.log"
    crash=$(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null | head -1 || true)
    [ -n "$crash" ] && cp "$crash" build-fuzz/ && echo "reproducer: build-fuzz/$(basename "$crash")"
    exit 1
  fi
  grep -E '^Done [0-9]+ runs' "$work/$name.log" || tail -2 "$work/$name.log"
done
