#!/usr/bin/env bash
# The hot-path figures of the README in one command: scripts/bench.sh [repetitions]
# Installs spdlog (the peer the file output and trace checks run next to)
# when it is missing, builds the release preset, runs the benchmarks with
# repetitions and prints medians and the ratios to their floors and peers,
# then instructions and system calls per line.
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-5}
if [ ! -e /usr/include/spdlog/spdlog.h ]; then
  echo "== installing libspdlog-dev (benchmarks only)"
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd=sudo
  $sudo_cmd apt-get install -y libspdlog-dev >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release -j2 >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

run() {  # program -> JSON in $out/program.json
  # Interleaved: a machine whose load or page cache changes meanwhile weighs
  # on every arm alike.
  "build/release/bench/$1" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true \
    --benchmark_out="$out/$1.json" --benchmark_out_format=json >/dev/null
}
for program in format_bench trace_check_bench file_output_bench trace_bench logger_creation_bench compression_bench; do
  echo "== $program"
  run "$program"
done

python3 - "$out" <<'PY'
import json, sys, os
medians = {}
for name in os.listdir(sys.argv[1]):
    with open(os.path.join(sys.argv[1], name)) as f:
        data = json.load(f)
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = (b["real_time"], b.get("allocs_per_line", b.get("allocs_per_iter")),
                                      b.get("time_unit", "ns"))
def show(name):
    t, allocs, unit = medians[name]
    extra = f"  allocations/line {allocs:.2f}" if allocs is not None else ""
    print(f"  {name:58s} {t:9.1f} {unit}{extra}")
def ratio(a, b, floor):
    if a in medians and b in medians:
        print(f"  {a} / {b}: {medians[a][0] / medians[b][0]:.2f}  ({floor})")
print("Medians of", sys.argv[1] and "repeated runs:")
for name in sorted(medians): show(name)
print("Ratios:")
ratio("BM_FormatLineFresh/local:0", "BM_FormatLineSnprintfFloor", "formatting vs one snprintf of the same bytes")
for threads in (1, 2, 4):
    s = f"/real_time/threads:{threads}"
    ratio("BM_FileMode1" + s, "BM_FloorBareWrite" + s, "target <= 1.15")
    ratio("BM_FileMode3Rollover" + s, "BM_FloorMutexStatWrite" + s, "target <= 1.15")
    ratio("BM_FileMode3Rollover" + s, "BM_FloorMutexFstatWrite" + s, "the same floor with fstat(2), which reads the times")
    ratio("BM_SpdlogFileFlushEachLine" + s, "BM_FileMode1" + s, "target >= 1.8")
    ratio("BM_SpdlogFileFormatted" + s, "BM_FileMode1Formatted" + s, "each formatting its own prolog, same bytes")
    ratio("BM_SpdlogRotatingFlushEachLine" + s, "BM_FileMode3Rollover" + s, "target >= 1.8")
    ratio("BM_FileMode3Rollover" + s, "BM_FloorRotatingStatWrite" + s, "same floor on a file rolling like the output")
    ratio("BM_SpdlogFileFlushEachLine" + s, "BM_FloorBareWrite" + s, "spdlog above one write per line: the most any output can gain")
    ratio("BM_SpdlogRotatingFlushEachLine" + s, "BM_FloorRotatingWrite" + s, "the same for the rotating sink")
ratio("BM_FillAssembleEmpty/format:4", "BM_FillAssembleEmpty/format:2", "JSON lines / delimited record")
ratio("BM_RollingFileLine/1/real_time", "BM_RollingFileLine/0/real_time", "compression on / off, target <= 1.05")
ratio("BM_RollingFileLine/2/real_time", "BM_RollingFileLine/0/real_time", "off with a busy neighbour / off")
ratio("BM_RollingFileLine/3/real_time", "BM_RollingFileLine/0/real_time", "off with a neighbour syncing a compressed backup's bytes per rollover / off")
ratio("BM_RollingFileLine/1/real_time", "BM_RollingFileLine/3/real_time", "compression on / the durable-write neighbour")
for threads in (1, 2):
    s = f"/real_time/threads:{threads}"
    ratio("BM_TraceEnabledOff" + s, "BM_SpdlogDisabledCheck" + s, "target <= 1, inline level check")
    ratio("BM_TraceEnabledOff" + s, "BM_SpdlogDisabledCall" + s, "target <= 1, disabled call")
PY
echo "== instructions per line"
scripts/line-instructions.sh
echo "== system calls per line"
scripts/file-syscalls.sh
