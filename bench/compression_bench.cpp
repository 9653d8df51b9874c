// Compressed backups: what a line costs on a rolling file output with
// compression on next to off (the compression runs on the worker thread, so
// the two should match), and how far the demo's log text shrinks.
//
//   build/release/bench/compression_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true   (one command line)
//
// Compare the medians of BM_RollingFileLine/0 (off) and /1 (on); the ratio
// benchmarks report plain bytes / compressed bytes as "ratio".
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/backup_compression.h"
#include "output/compression_worker.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "qmerrlog/qmerrlog.h"

namespace fs = std::filesystem;

namespace {

const unsigned int kOwnInfo = QmMessageId(1, QM_MSG_INFO, 1);
const unsigned int kOwnError = QmMessageId(1, QM_MSG_ERROR, 1);

fs::path BenchDirectory(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("qmerrlog_bench_" + std::string(name) + "_" +
                                                std::to_string(qm::platform::CurrentProcessId()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// The demo's rolling log line: prolog, then its own info message with a
// line number and 200 dots of filler.
void FormatDemoLine(CQmErrLogMessage& message, int i) {
    static const std::string filler(200, '.');
    message.FormatLogProlog("src/demo/load.cpp", i, 0);
    message.FormatLogMessage(static_cast<int>(kOwnInfo), (std::to_string(i) + " " + filler).c_str());
}

// Lines without filler: the demo's error chain steps with varying numbers.
void FormatVariedLine(CQmErrLogMessage& message, int i) {
    static const char* const steps[] = {"open session store", "read policy", "reply to agent",
                                        "refresh ldap01 bind", "write audit record"};
    message.FormatLogProlog("src/demo/request.cpp", 200 + i % 97, 0);
    const std::string text = std::string(steps[i % 5]) + " for session " + std::to_string(1000003 * i % 99991);
    message.FormatLogMessage(static_cast<int>(kOwnError), text.c_str());
}

// One line through a mode 3 file output rolling over at 1 MB (about every
// 4,000 demo lines), four backups kept; arg 1 turns compression on.
void BM_RollingFileLine(benchmark::State& state) {
    const bool compress = state.range(0) != 0;
    const fs::path dir = BenchDirectory(compress ? "on" : "off");
    const std::string path = (dir / "server.log").make_preferred().string();
    CQmFileOutput output;
    output.SetParams(path.c_str(), 3, 1, 4);
    output.SetCompressBackups(compress);
    if (!output.Open()) {
        state.SkipWithError("cannot open the log");
        return;
    }
    CQmErrLogMessage message(false);
    FormatDemoLine(message, 42);
    for (auto _ : state) benchmark::DoNotOptimize(output.Log(message));
    output.Close();
    qm::WaitForBackupCompression();
    fs::remove_all(dir);
}
BENCHMARK(BM_RollingFileLine)->Arg(0)->Arg(1)->UseRealTime();

// Plain bytes over gzip bytes for 4 MB of each kind of text; the time is
// that of compressing it on the worker.
template <void (*Format)(CQmErrLogMessage&, int)>
void BM_CompressionRatio(benchmark::State& state) {
    const fs::path dir = BenchDirectory("ratio");
    std::string text;
    CQmErrLogMessage message(false);
    for (int i = 0; text.size() < (4u << 20); ++i) {
        Format(message, i);
        text.append(message.GetBuffer(), message.GetBufferLen());
    }
    const std::string backup = (dir / "server_20090315_100000.log").string();
    const std::atomic<bool> keepGoing{false};
    double ratio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(backup, std::ios::binary) << text;
        state.ResumeTiming();
        if (!qm::CompressBackup(qm::RealFileSystem(), backup, keepGoing)) {
            state.SkipWithError("compression failed");
            break;
        }
        ratio = static_cast<double>(text.size()) / static_cast<double>(fs::file_size(backup + ".gz"));
    }
    state.counters["ratio"] = ratio;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    fs::remove_all(dir);
}
BENCHMARK_TEMPLATE(BM_CompressionRatio, FormatDemoLine)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompressionRatio, FormatVariedLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
