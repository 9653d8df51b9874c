// The trace record's hot path: filling, assembling and emptying a record of
// ordinary values must not allocate, and neither must a selected record
// logged through the public calls to a discarding output. Every operator new
// is counted, and the count per iteration is reported next to the time.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include <benchmark/benchmark.h>

#include "core/known_data_fields.h"
#include "qmerrlog/qmerrlog.h"
#include "qmerrlog/tracedata.h"
#include "tracing_logger.h"

namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

// Kept out of line: inlined into their callers, gcc pairs the malloc and free
// inside them with the operators themselves and warns of a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

template <>
struct QmInternalAccess<struct TraceBenchInternals> {
    static bool Configure(CQmTraceData& record, int format, const char* separator, const char* file, int count,
                          QmTraceComponentInfo* components, QmTraceDataFieldInfo* fields) {
        return record.SetConfiguration(format, separator, file, count, components, fields, false);
    }
    static void Assign(CQmTraceData& copy, const CQmTraceData& master) { copy = master; }
};

namespace {

using Access = QmInternalAccess<TraceBenchInternals>;

const char kConfiguration[] =
    "# the configuration a busy server might run with\n"
    "components: Server, Agent/Cache\n"
    "data: Date, PreciseTime, Pid, Tid, Function, User, Realm, ReturnValue, Message\n"
    "Realm !=internal\n";

// A configuration file and the tables a logger builds, for the whole program.
class Fixture {
public:
    Fixture()
        : m_path(std::filesystem::temp_directory_path() / "qmerrlog_trace_bench.cfg"),
          m_components{
              {false, 0x01000000u, "Server"}, {false, 0x02000000u, "Agent"}, {false, 0x02010000u, "Agent/Cache"}},
          m_fields(qm::NewDataFieldInfoTable()) {
        std::ofstream(m_path) << kConfiguration;
    }
    ~Fixture() {
        qm::DeleteDataFieldInfoTable(m_fields);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    bool Configure(CQmTraceData& master, int format) {
        return Access::Configure(master, format, " | ", m_path.c_str(), 3, m_components, m_fields);
    }

private:
    std::filesystem::path m_path;
    QmTraceComponentInfo m_components[3];
    QmTraceDataFieldInfo* m_fields;
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void ReportAllocations(benchmark::State& state, long long before) {
    const long long made = g_allocations.load(std::memory_order_relaxed) - before;
    state.counters["allocs_per_iter"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

// One record as a tracing thread writes it, in each layout (2 delimited and
// 4 JSON lines are the pair to compare).
void BM_FillAssembleEmpty(benchmark::State& state) {
    const int format = static_cast<int>(state.range(0));
    auto master = std::make_unique<CQmTraceData>();
    if (!TheFixture().Configure(*master, format)) {
        state.SkipWithError("configuration refused");
        return;
    }
    auto copy = std::make_unique<CQmTraceData>();
    Access::Assign(*copy, *master);

    // Warm up once: the message text reaches its working capacity.
    copy->SetFieldValue(QM_FIELD_MESSAGE, std::string(600, 'w').c_str());
    copy->Format();
    copy->LeaveNoBody();

    int request = 0;
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        ++request;
        bool ok = copy->SetFieldValue(QM_FIELD_DATE, 0);
        ok &= copy->SetFieldValue(QM_FIELD_PRECISETIME, 0);
        ok &= copy->SetFieldValue(QM_FIELD_PID, 0);
        ok &= copy->SetFieldValue(QM_FIELD_TID, 0);
        ok &= copy->SetFieldValue(QM_FIELD_FUNCTION, "HandleRequest");
        ok &= copy->SetFieldValue(9u, "alice");
        ok &= copy->SetFieldValue(12u, "corporate");
        ok &= copy->SetFieldValue(8u, request % 7);
        ok &= copy->SetFieldValue(
            QM_FIELD_MESSAGE,
            copy->FormatTraceMessage("request %d served from %s in %.3f ms", request, "cache", 0.25 * request));
        if (ok) ok = copy->Format();
        benchmark::DoNotOptimize(copy->GetMessage().GetBuffer());
        copy->LeaveNoBody();
        benchmark::DoNotOptimize(ok);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_FillAssembleEmpty)->DenseRange(QM_TRACE_BRACKETED, QM_TRACE_JSON_LINES)->ArgName("format");

// A thread refreshing its working copy after the master changed.
void BM_RefreshCopy(benchmark::State& state) {
    CQmTraceData master;
    TheFixture().Configure(master, QM_TRACE_BRACKETED);
    auto copy = std::make_unique<CQmTraceData>();
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        Access::Assign(*copy, master);
        benchmark::DoNotOptimize(copy.get());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_RefreshCopy);

// Switching tracing on reads the file once; this is its cost.
void BM_ReadConfiguration(benchmark::State& state) {
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        CQmTraceData master;
        benchmark::DoNotOptimize(TheFixture().Configure(master, QM_TRACE_BRACKETED));
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_ReadConfiguration);

const unsigned int kSelectedComponent = QmTraceComponentId(1, 0);

// A logger tracing one component to a callback that drops every line.
CQmLogger* SelectingLogger() {
    static CQmLogger* logger = LoggerTracingToNowhere(
        "bench-trace-record", "components: Log\ndata: Date, PreciseTime, Tid, Function, User, Message\n");
    return logger;
}

// A selected record as a program writes one, through the public calls only:
// the check, six fields, the assembly, the write to a discarding output and
// the emptying.
void BM_SelectedRecordLogged(benchmark::State& state) {
    CQmLogger* logger = SelectingLogger();
    CQmTraceData record;
    if (!logger->ShouldTrace(kSelectedComponent, &record)) {
        state.SkipWithError("component not selected");
        return;
    }
    int request = 0;
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        ++request;
        bool ok = logger->ShouldTrace(kSelectedComponent, &record);
        ok &= record.SetFieldValue(QM_FIELD_DATE, 0);
        ok &= record.SetFieldValue(QM_FIELD_PRECISETIME, 0);
        ok &= record.SetFieldValue(QM_FIELD_TID, 0);
        ok &= record.SetFieldValue(QM_FIELD_FUNCTION, "HandleRequest");
        ok &= record.SetFieldValue(9u, "alice");
        ok &= record.SetFieldValue(QM_FIELD_MESSAGE,
                                   record.FormatTraceMessage("request %d served from %s", request, "cache"));
        if (ok) ok = record.Format() && record.Log();
        record.LeaveNoBody();
        benchmark::DoNotOptimize(ok);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_SelectedRecordLogged);

}  // namespace

BENCHMARK_MAIN();
