#!/usr/bin/env bash
# Installs the release build into a scratch prefix and builds a consumer
# project against it twice: with find_package(qmerrlog) and with pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
root="$PWD"
work="$root/build/install-check"
rm -rf "$work"
mkdir -p "$work"
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
cmake --install build/release --prefix "$work/prefix" >/dev/null

echo "== consumer through find_package(qmerrlog)"
cmake -S tests/packaging/consumer -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/cmake/consumer"

echo "== consumer through pkg-config"
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
g++ -std=c++17 tests/packaging/consumer/main.cpp $(pkg-config --cflags --libs qmerrlog) -o "$work/consumer-pc"
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer-pc"
echo "install check passed"
