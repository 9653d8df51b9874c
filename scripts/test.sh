#!/usr/bin/env bash
# Builds and runs the whole test suite: scripts/test.sh [preset ...]
# Presets: debug and mingw (the default: Linux, then Windows under Wine),
# release, asan, tsan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(debug mingw)
jobs=$(nproc 2>/dev/null || echo 2)

for preset in "${presets[@]}"; do
  if [ "$preset" = mingw ]; then
    scripts/test-windows.sh
    continue
  fi
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
