// Memory that tracing keeps over a long run: trace configurations reloaded
// many times while threads trace, and many short-lived threads tracing
// through a named logger. Reports resident memory before and after, and the
// trace records still alive, next to the time.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/thread_trace_pool.h"
#include "platform/memory_usage.h"
#include "qmerrlog/qmerrlog.h"
#include "trace/record_count.h"

namespace {

const unsigned int kLogComponent = QmTraceComponentId(1, 0);

void DiscardLine(const char*, int) {}

std::string WriteConfig() {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "qmerrlog_memory_bench.cfg";
    std::ofstream(path) << "components: Log\ndata: Message,Tid,Date,Time\nfilter: Message!=x\n";
    return path.string();
}

void TraceOnce(CQmLogger* logger) {
    CQmTraceData* record = nullptr;
    if (!logger->ShouldTraceAlloc(kLogComponent, &record)) return;
    record->SetFieldValue(QM_FIELD_MESSAGE, "a traced message");
    record->Format();
    record->Log();
    record->LeaveNoBody();
}

bool EnableDiscarding(CQmLogger* logger, const std::string& config) {
    return logger->EnableTrace(logger->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &DiscardLine), 0, nullptr,
                               config.c_str(), false, false, false);
}

void Report(benchmark::State& state, long long residentBefore) {
    const long long residentAfter = qm::platform::ResidentBytes();
    state.counters["rss_before_MB"] = static_cast<double>(residentBefore) / (1024.0 * 1024.0);
    state.counters["rss_after_MB"] = static_cast<double>(residentAfter) / (1024.0 * 1024.0);
    state.counters["records_alive"] = static_cast<double>(qm::LiveTraceRecords());
    state.counters["pool_entries"] = static_cast<double>(qm::ThreadTracePoolSize());
}

void BM_ReloadsUnderTracingThreads(benchmark::State& state) {
    const std::string config = WriteConfig();
    CQmLogger* logger = getMyLogger("bench-reloads");
    EnableDiscarding(logger, config);
    const long long residentBefore = qm::platform::ResidentBytes();
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([logger, &stop] {
            while (!stop.load(std::memory_order_relaxed)) {
                TraceOnce(logger);
                std::this_thread::yield();
            }
        });
    }
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i) EnableDiscarding(logger, config);
    }
    stop = true;
    for (std::thread& thread : threads) thread.join();
    Report(state, residentBefore);
    removeMyLogger("bench-reloads");
}
BENCHMARK(BM_ReloadsUnderTracingThreads)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ShortLivedThreadsThroughANamedLogger(benchmark::State& state) {
    const std::string config = WriteConfig();
    CQmLogger* logger = getMyLogger("bench-threads");
    EnableDiscarding(logger, config);
    const long long residentBefore = qm::platform::ResidentBytes();
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i) std::thread(TraceOnce, logger).join();
    }
    Report(state, residentBefore);
    removeMyLogger("bench-threads");
}
BENCHMARK(BM_ShortLivedThreadsThroughANamedLogger)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
