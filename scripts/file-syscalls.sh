#!/usr/bin/env bash
# System calls per log line of a file output, by strace -c:
# scripts/file-syscalls.sh [lines]
# Mode 1 (append) should make one write per line; mode 3 (size-limited) one
# status call and one write. Two runs of different line counts; the
# difference leaves out opening, closing and the program's start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v strace >/dev/null || { echo "strace is needed" >&2; exit 1; }
lines=${1:-2000}
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target file_output_lines >/dev/null
program=build/release/bench/file_output_lines
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

calls() {  # mode, lines -> "name count" per system call
  rm -f "$out"/lines.log*
  strace -f -c -o "$out/strace.txt" "$program" "$out/lines.log" "$1" "$2" >/dev/null
  awk 'NF >= 5 && $NF != "total" && $1 ~ /^[0-9.]+$/ {print $NF, ($4 ~ /^[0-9]+$/ ? $4 : $4)}' "$out/strace.txt"
}

for mode in 1 3; do
  declare -A small=() large=()
  while read -r name count; do small[$name]=$count; done < <(calls "$mode" 0)
  while read -r name count; do large[$name]=$count; done < <(calls "$mode" "$lines")
  summary=""
  total=0
  for name in "${!large[@]}"; do
    extra=$(( large[$name] - ${small[$name]:-0} ))
    if [ "$extra" -gt 0 ]; then
      summary+=" $name=$(awk -v e="$extra" -v n="$lines" 'BEGIN {printf "%.2f", e / n}')"
      total=$(( total + extra ))
    fi
  done
  echo "mode $mode: $(awk -v e="$total" -v n="$lines" 'BEGIN {printf "%.2f", e / n}') system calls per line:$summary"
done
