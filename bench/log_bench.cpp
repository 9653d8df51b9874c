// The cost of one error log line: prolog, catalogue body and dispatch to a
// callback output that discards it, next to a floor that formats the same
// bytes with plain snprintf into a stack buffer.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/clock.h"
#include "platform/process.h"
#include "qmerrlog/qmerrlog.h"
#include "snprintf_line.h"

namespace {

const char* kFile = "src/server/dbconnect.cpp";
const unsigned int kMessage = QmMessageId(1, QM_MSG_ERROR, 1);

void Discard(const char* text, int length) {
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(length);
}

CQmLogger* BenchLogger() {
    static CQmLogger* logger = [] {
        CQmLogger* made = getMyLogger("bench");
        made->SetLogOutput(made->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &Discard));
        return made;
    }();
    return logger;
}

void BM_LogErrMsg(benchmark::State& state) {
    CQmLogger* logger = BenchLogger();
    CQmErrLogMessage message(false);
    for (auto _ : state) {
        message.FormatLogProlog(kFile, 42, 0);
        message.FormatLogMessage(static_cast<int>(kMessage), "Cannot reach the database");
        benchmark::DoNotOptimize(logger->LogErrMsg(message));
    }
}
BENCHMARK(BM_LogErrMsg)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

void BM_DispatchOnly(benchmark::State& state) {
    CQmLogger* logger = BenchLogger();
    CQmErrLogMessage message(false);
    message.FormatLogProlog(kFile, 42, 0);
    message.FormatLogMessage(static_cast<int>(kMessage), "Cannot reach the database");
    for (auto _ : state) benchmark::DoNotOptimize(logger->LogErrMsg(message));
}
BENCHMARK(BM_DispatchOnly)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

void BM_SnprintfFloor(benchmark::State& state) {
    const int pid = qm::platform::CurrentProcessId();
    char line[512];
    for (auto _ : state) {
        const int length = SnprintfLogLine(line, sizeof line, pid);
        Discard(line, length);
    }
}
BENCHMARK(BM_SnprintfFloor)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
