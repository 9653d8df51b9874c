// The questions a tracing thread asks before it builds a record: TraceEnabled
// with tracing off and with a cached answer, ShouldTrace with an up-to-date
// copy, next to spdlog's check of a disabled level in the same program.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "qmerrlog/qmerrlog.h"

#if defined(QM_BENCH_WITH_SPDLOG)
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>
#endif

namespace {

const unsigned int kLogComponent = QmTraceComponentId(1, 0);

void DiscardLine(const char*, int) {}

CQmLogger* OffLogger() {
    static CQmLogger* logger = getMyLogger("bench-trace-off");
    return logger;
}

CQmLogger* OnLogger() {
    static CQmLogger* logger = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / "qmerrlog_trace_check_bench.cfg";
        std::ofstream(path) << "components: Log\ndata: Message\n";
        CQmLogger* made = getMyLogger("bench-trace-on");
        made->EnableTrace(made->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &DiscardLine), 0, nullptr,
                          path.string().c_str(), false, false, false);
        return made;
    }();
    return logger;
}

void BM_TraceEnabledOff(benchmark::State& state) {
    CQmLogger* logger = OffLogger();
    for (auto _ : state) benchmark::DoNotOptimize(logger->TraceEnabled(kLogComponent));
}
BENCHMARK(BM_TraceEnabledOff)->Threads(1)->Threads(2)->UseRealTime();

void BM_TraceEnabledOnCached(benchmark::State& state) {
    CQmLogger* logger = OnLogger();
    logger->TraceEnabled(kLogComponent);  // fills the cache
    for (auto _ : state) benchmark::DoNotOptimize(logger->TraceEnabled(kLogComponent));
}
BENCHMARK(BM_TraceEnabledOnCached)->Threads(1)->Threads(2)->UseRealTime();

void BM_ShouldTraceUpToDate(benchmark::State& state) {
    CQmLogger* logger = OnLogger();
    CQmTraceData record;
    logger->ShouldTrace(kLogComponent, &record);  // copies the master once
    for (auto _ : state) benchmark::DoNotOptimize(logger->ShouldTrace(kLogComponent, &record));
}
BENCHMARK(BM_ShouldTraceUpToDate)->Threads(1)->Threads(2)->UseRealTime();

#if defined(QM_BENCH_WITH_SPDLOG)
void BM_SpdlogDisabledCheck(benchmark::State& state) {
    static auto logger = [] {
        auto made = std::make_shared<spdlog::logger>("bench-off", std::make_shared<spdlog::sinks::null_sink_mt>());
        made->set_level(spdlog::level::info);
        return made;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(logger->should_log(spdlog::level::trace));
}
BENCHMARK(BM_SpdlogDisabledCheck)->Threads(1)->Threads(2)->UseRealTime();

// The call as users write it: a disabled trace() with one argument.
void BM_SpdlogDisabledCall(benchmark::State& state) {
    static auto logger = [] {
        auto made =
            std::make_shared<spdlog::logger>("bench-off-call", std::make_shared<spdlog::sinks::null_sink_mt>());
        made->set_level(spdlog::level::info);
        return made;
    }();
    for (auto _ : state) logger->trace("{}", 42);
}
BENCHMARK(BM_SpdlogDisabledCall)->Threads(1)->Threads(2)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
