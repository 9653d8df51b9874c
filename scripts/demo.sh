#!/usr/bin/env bash
# Builds the library and runs the demo: every kind of record, written into one
# folder that the demo names at the end; then the same through Java.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
out="${QMERRLOG_DEMO_DIR:-$PWD/build/demo-output}"
rm -rf "$out"
mkdir -p "$out/java"
# The sample component library sits beside the demo; the loader finds it there.
LD_LIBRARY_PATH="$PWD/build/release/examples${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  build/release/examples/qmerrlog_demo "$out"

if [ -f build/release/examples/java/qmerrlog_java_demo.jar ]; then
  echo
  echo "== Java: the same library through com.corvane.qmerrlog.QmLogger"
  java -Dqmerrlog.library.path="$PWD/build/release/libqmerrlog.so" \
    -cp build/release/java/qmerrlog.jar:build/release/examples/java/qmerrlog_java_demo.jar \
    Demo "$out/java"
fi
echo
echo "All output is in $out"
