#!/usr/bin/env bash
# Instructions per record under callgrind: scripts/line-instructions.sh
#   utc, local   a catalogue log line (prolog + "%1s" body), a fresh message each
#   conversions  a catalogue line whose text has several conversions
#   trace        a selected trace record of six fields logged to a discarding output
# Two runs of different counts; their difference divided by the extra
# records leaves out the program's start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null || { echo "valgrind is needed" >&2; exit 1; }
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target line_instructions >/dev/null
program=build/release/bench/line_instructions
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

count() {  # records, kind -> total instructions
  valgrind --tool=callgrind --callgrind-out-file="$out/cg.$1.$2" "$program" "$1" "$2" >/dev/null 2>&1
  callgrind_annotate "$out/cg.$1.$2" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'
}

for kind in ${KINDS:-utc local conversions trace}; do
  small=$(count 1000 "$kind")
  large=$(count 21000 "$kind")
  echo "$kind: $(( (large - small) / 20000 )) instructions per record"
done
