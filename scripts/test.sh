#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Command two: set up, build normally and with AddressSanitizer + UBSan, run every test both ways,
# and check the Debian packages of the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --sanitize
jobs=$(nproc)
echo "== documentation of the public header (any Doxygen warning fails)"
cmake --build build --target lftm_docs
echo "== tests (normal build)"
ctest --test-dir build --output-on-failure -j "$jobs"
echo "== Debian packages: lintian, symbols and dpkg-shlibdeps, hardening, install consumers"
scripts/package_check.sh build
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
