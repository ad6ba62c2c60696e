#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Builds the tree with ThreadSanitizer in build-tsan/ and runs every test there once.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLFTM_TSAN=ON \
      -DLFTM_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs"
echo "== tests (ThreadSanitizer)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs"
