// The questions a tracing thread asks before it builds a record: TraceEnabled
// and ShouldTrace with tracing off, TraceEnabled with a cached answer,
// ShouldTrace and ShouldTraceAlloc with an up-to-date copy, next to spdlog's
// check of a disabled level in the same program. Unless told otherwise it
// runs every benchmark 10 times, interleaved, and ends with each off check's
// median as a ratio to spdlog's median for the same thread count.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "qmerrlog/qmerrlog.h"
#include "tracing_logger.h"

#if defined(QM_BENCH_WITH_SPDLOG)
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>
#endif

namespace {

const unsigned int kLogComponent = QmTraceComponentId(1, 0);

CQmLogger* OffLogger() {
    static CQmLogger* logger = getMyLogger("bench-trace-off");
    return logger;
}

CQmLogger* OnLogger() {
    static CQmLogger* logger = LoggerTracingToNowhere("bench-trace-on", "components: Log\ndata: Message\n");
    return logger;
}

void BM_TraceEnabledOff(benchmark::State& state) {
    CQmLogger* logger = OffLogger();
    for (auto _ : state) benchmark::DoNotOptimize(logger->TraceEnabled(kLogComponent));
}
BENCHMARK(BM_TraceEnabledOff)->Threads(1)->Threads(2)->UseRealTime();

void BM_ShouldTraceOff(benchmark::State& state) {
    CQmLogger* logger = OffLogger();
    CQmTraceData record;
    for (auto _ : state) benchmark::DoNotOptimize(logger->ShouldTrace(kLogComponent, &record));
}
BENCHMARK(BM_ShouldTraceOff)->Threads(1)->Threads(2)->UseRealTime();

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

// The thread's own working copy, already up to date: the selection answer,
// the thread's entry for this logger, no copying.
void BM_ShouldTraceAllocUpToDate(benchmark::State& state) {
    CQmLogger* logger = OnLogger();
    for (auto _ : state) {
        CQmTraceData* record = nullptr;
        benchmark::DoNotOptimize(logger->ShouldTraceAlloc(kLogComponent, &record));
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_ShouldTraceAllocUpToDate)->Threads(1)->Threads(2)->UseRealTime();

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

// Shows the runs as usual and keeps each median for the ratios.
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_medians[run.run_name.str()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // "BM_TraceEnabledOff/real_time/threads:1" against the spdlog run of the
    // same thread count; nothing when either is missing.
    void PrintRatios() const {
        for (const char* ours : {"BM_TraceEnabledOff", "BM_ShouldTraceOff"}) {
            for (const char* threads : {"1", "2"}) {
                const std::string suffix = std::string("/real_time/threads:") + threads;
                auto mine = m_medians.find(ours + suffix);
                auto peer = m_medians.find("BM_SpdlogDisabledCheck" + suffix);
                if (mine == m_medians.end() || peer == m_medians.end() || peer->second <= 0) continue;
                std::printf("%s / spdlog should_log, %s thread(s), medians: %.3f / %.3f ns = %.2f\n", ours,
                            threads, mine->second, peer->second, mine->second / peer->second);
            }
        }
    }

private:
    std::map<std::string, double> m_medians;
};

bool Given(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Ten repetitions, interleaved so that a busy neighbour slows every
    // benchmark alike, reported as aggregates.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=10";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    if (!Given(argc, argv, "--benchmark_repetitions")) {
        args.push_back(repetitions);
        if (!Given(argc, argv, "--benchmark_enable_random_interleaving")) args.push_back(interleaving);
        if (!Given(argc, argv, "--benchmark_report_aggregates_only")) args.push_back(aggregates);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
