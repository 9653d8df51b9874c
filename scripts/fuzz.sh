#!/usr/bin/env bash
# Fuzzes the trace configuration reader for SECONDS (default 60):
#   scripts/fuzz.sh [SECONDS]
# Builds the fuzz preset (clang, libFuzzer, ASan, UBSan), starts from the seed
# corpus copied to a scratch directory, and exits non-zero on any crash, leak
# or sanitizer report. A crashing input is kept under build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_trace_config -j "$(nproc 2>/dev/null || echo 2)"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/corpus" build/fuzz/artifacts
cp fuzz/corpus/trace_config/* "$scratch/corpus/"

echo "== fuzz: trace configuration reader for ${seconds}s"
if build/fuzz/fuzz/fuzz_trace_config -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -max_len=16384 -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ \
     "$scratch/corpus" >"$scratch/fuzz.log" 2>&1; then
  grep -E '^stat::number_of_executed_units|^Done' "$scratch/fuzz.log" || true
  echo "fuzz: 1 passed, 0 failed"
else
  tail -n 60 "$scratch/fuzz.log"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
