#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Command one: set up, build, and run the main job on the bundled sample image.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build/bin/lftm samples/golden_gate.hdr build/golden_gate.jpg
