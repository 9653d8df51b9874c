// Formatting one catalogue log line (prolog + "%1s" body), without dispatch:
// time and heap allocations per line, for a message reused across lines and
// for a fresh message per line (the usual stack object), next to the same
// bytes made by snprintf into a stack buffer; and a line whose catalogue text
// has several conversions (a width and "%%" among them).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/clock.h"
#include "platform/process.h"
#include "lent_component.h"
#include "qmerrlog/qmerrlog.h"
#include "snprintf_line.h"

namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through the
// inlined standard operators and would warn.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Every allocation of the program is counted; the benchmarks report the
// count per iteration.
void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const char* kFile = "src/server/dbconnect.cpp";
const int kMessage = static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1));

void ReportAllocations(benchmark::State& state, long long before) {
    state.counters["allocs_per_line"] = benchmark::Counter(static_cast<double>(g_allocations.load() - before) /
                                                           static_cast<double>(state.iterations()));
}

void BM_FormatLineReused(benchmark::State& state) {
    theLogger();  // the default logger and its catalogue exist before timing
    CQmErrLogMessage message(false);
    const long long before = g_allocations.load();
    for (auto _ : state) {
        message.FormatLogProlog(kFile, 42, 0);
        message.FormatLogMessage(kMessage, "Cannot reach the database");
        benchmark::DoNotOptimize(message.GetBuffer());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_FormatLineReused);

void BM_FormatLineFresh(benchmark::State& state) {
    theLogger();
    const long long before = g_allocations.load();
    for (auto _ : state) {
        CQmErrLogMessage message(state.range(0) != 0);
        message.FormatLogProlog(kFile, 42, 0);
        message.FormatLogMessage(kMessage, "Cannot reach the database");
        benchmark::DoNotOptimize(message.GetBuffer());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_FormatLineFresh)->Arg(0)->Arg(1)->ArgName("local");

void BM_FormatLineConversions(benchmark::State& state) {
    LentComponent lent(kConversionsText);
    QmInternalAccess<LentComponent>::Lend(*theLogger(), &lent);
    const int id = static_cast<int>(QmMessageId(2, QM_MSG_ERROR, 1));
    int attempt = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        CQmErrLogMessage message(false);
        message.FormatLogProlog(kFile, 42, 0);
        message.FormatLogMessage(id, "pool", ++attempt, "db.internal", 5432u, 250, 40);
        benchmark::DoNotOptimize(message.GetBuffer());
    }
    ReportAllocations(state, before);
    QmInternalAccess<LentComponent>::Lend(*theLogger(), nullptr);
}
BENCHMARK(BM_FormatLineConversions);

void BM_FormatLineSnprintfFloor(benchmark::State& state) {
    const int pid = qm::platform::CurrentProcessId();
    char line[512];
    for (auto _ : state) {
        const int length = SnprintfLogLine(line, sizeof line, pid);
        benchmark::DoNotOptimize(line);
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_FormatLineSnprintfFloor);

}  // namespace

BENCHMARK_MAIN();
