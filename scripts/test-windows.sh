#!/usr/bin/env bash
# Cross-builds the library, the test component DLLs and the test suite for
# 64-bit Windows with mingw-w64 and runs the suite under Wine:
#   scripts/test-windows.sh
# Installs the cross compilers and Wine when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# Wine with its recommended packages: the measured, working set.
scripts/setup.sh --recommends g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64

jobs=$(nproc 2>/dev/null || echo 2)
echo "== mingw: configure and build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
# The same prefix and quiet debug channels as the mingw test preset.
export WINEDEBUG=-all
export WINEPREFIX="$PWD/build/mingw/wineprefix"
mkdir -p "$WINEPREFIX"

# One persistent server, and the prefix made, before ctest starts: a server
# started by the first test would outlive it holding ctest's output pipe.
# (A server left running for this prefix is used as it is.)
"$wineserver" -p </dev/null >/dev/null 2>&1 || true
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

echo "== mingw: test under Wine"
ctest --preset mingw -j "$jobs"
