// What a named logger costs to create, and the memory 2,000 of them keep:
// component libraries are looked up once per process, and the component and
// data field tables and lists are built once and shared, so only the first
// logger pays for them; later ones carry their own state only (guards,
// component slots, flags; the selection cache and the trace configuration
// come with the first EnableTrace).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/memory_usage.h"
#include "qmerrlog/qmerrlog.h"

namespace {

void BM_CreateNamedLogger(benchmark::State& state) {
    theLogger();  // the first logger of the process, and its lookups, come before timing
    static int next = 0;
    const long long residentBefore = qm::platform::ResidentBytes();
    for (auto _ : state) {
        const std::string name = "bench-named-" + std::to_string(next++);
        benchmark::DoNotOptimize(getMyLogger(name.c_str()));
    }
    const long long residentAfter = qm::platform::ResidentBytes();
    state.counters["resident_KB_per_logger"] = benchmark::Counter(
        static_cast<double>(residentAfter - residentBefore) / 1024.0 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_CreateNamedLogger)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
