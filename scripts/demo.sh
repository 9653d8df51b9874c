#!/usr/bin/env bash
# Builds the library and runs the demo; the demo prints where its files went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
out="${QMERRLOG_DEMO_DIR:-$PWD/build/demo-output}"
mkdir -p "$out"
LD_LIBRARY_PATH="$PWD/build/release/examples${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  build/release/examples/qmerrlog_demo "$out"
