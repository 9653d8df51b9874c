// Compressed backups: what a line costs on a rolling file output with
// compression on next to off (the compression runs on the worker thread, so
// the two should match), and how far the demo's log text shrinks.
//
//   build/release/bench/compression_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true   (one command line)
//
// Compare the medians of BM_RollingFileLine/0 (off) and /1 (on). Two more
// arms run with compression off beside a neighbour thread: /2 spends the
// worker's processor time without its files; /3 does the least file work
// that leaves a compressed copy safe on the disk — it writes the bytes of a
// compressed backup to a file of its own and syncs it and its directory
// once per rollover — with no compression at all. So /1 against /3 is what
// the worker adds beyond the file work any durable copy needs. The
// repetitions of the two arms are interleaved unless the command line says
// otherwise, so that a machine whose load changes meanwhile weighs on both
// alike. "backups" counts the rollovers of a run and "compressed" the share
// of them the worker had finished when the timed loop ended: a worker that
// fell behind shows there rather than vanishing from the line's cost. The
// ratio benchmarks report plain bytes / compressed bytes as "ratio".
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "output/backup_compression.h"
#include "output/compression_worker.h"
#include "output/file_output_disk.h"
#include "platform/background_thread.h"
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

bool EndsWith(const char* text, const char* suffix) {
    const std::string name(text);
    const std::string end(suffix);
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// The real disk, counting renames: a live file set aside as a backup, or a
// partial file given its ".gz" name. Both arms write through it.
class CountingDisk : public qm::FileSystem {
public:
    std::atomic<long long> rollovers{0};
    std::atomic<long long> compressions{0};

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int descriptor) override { m_real->Close(descriptor); }
    long long Write(int descriptor, const char* data, unsigned int length) override {
        return m_real->Write(descriptor, data, length);
    }
    bool FileSize(int descriptor, long long* size) override { return m_real->FileSize(descriptor, size); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        return m_real->ListDirectory(directory, names);
    }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        return Count(to, m_real->RenameNoReplace(from, to));
    }
    bool Remove(const char* path) override { return m_real->Remove(path); }
    long long Now() override { return m_real->Now(); }
    void LocalTime(qm::platform::CalendarTime* out) override { m_real->LocalTime(out); }
    bool DescribeOpen(int descriptor, qm::FileIdentity* out) override {
        return m_real->DescribeOpen(descriptor, out);
    }
    bool DescribePath(const char* path, qm::FileIdentity* out) override { return m_real->DescribePath(path, out); }
    bool ReplaceDescriptor(int target, int source) override { return m_real->ReplaceDescriptor(target, source); }
    qm::RenameResult RenameIfAbsent(const char* from, const char* to) override {
        return Count(to, m_real->RenameIfAbsent(from, to));
    }
    int OpenForReading(const char* path) override { return m_real->OpenForReading(path); }
    long long Read(int descriptor, char* data, unsigned int length) override {
        return m_real->Read(descriptor, data, length);
    }
    bool Sync(int descriptor) override { return m_real->Sync(descriptor); }
    bool SyncDirectory(const char* directory) override { return m_real->SyncDirectory(directory); }

private:
    qm::RenameResult Count(const char* to, qm::RenameResult result) {
        if (result == qm::RenameResult::kRenamed) ++(EndsWith(to, ".gz") ? compressions : rollovers);
        return result;
    }

    qm::FileSystem* m_real = qm::RealFileSystem();
};

std::string DemoText(std::size_t size) {
    std::string text;
    CQmErrLogMessage message(false);
    for (int i = 0; text.size() < size; ++i) {
        FormatDemoLine(message, i);
        text.append(message.GetBuffer(), message.GetBufferLen());
    }
    return text;
}

// On every rollover, at the worker's priority, either deflates a megabyte of
// the demo's text in memory at the worker's level (the worker's processor
// time, none of its reads, writes, renames or syncs), or writes as many
// bytes as the worker's compressed backup has to a file and syncs the file
// and its directory (the worker's durable writes, none of its processor time).
class BusyNeighbour {
    static constexpr std::size_t kBackupBytes = 1u << 20;
    static constexpr std::size_t kTextBytes = 32 * kBackupBytes;
    // The demo's backups shrink about 47 times.
    static constexpr unsigned int kCompressedBytes = kBackupBytes / 47;

public:
    BusyNeighbour(const std::atomic<long long>& rollovers, const fs::path& filesIn)
        : m_rollovers(rollovers),
          m_text(DemoText(kTextBytes)),
          m_directory(filesIn.string()),
          m_thread([this] { Run(); }) {}
    BusyNeighbour(const BusyNeighbour&) = delete;
    BusyNeighbour& operator=(const BusyNeighbour&) = delete;
    ~BusyNeighbour() {
        m_stop.store(true);
        m_thread.join();
    }

private:
    void Run() {
        qm::platform::LowerCurrentThreadPriority();
        std::vector<unsigned char> out(compressBound(static_cast<uLong>(kBackupBytes)));
        long long done = m_rollovers.load();
        while (!m_stop.load()) {
            if (m_rollovers.load() == done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            // A fresh megabyte each time, as each backup is: the same text
            // again would sit in the processor's cache.
            const std::size_t start = static_cast<std::size_t>(done % (kTextBytes / kBackupBytes)) * kBackupBytes;
            ++done;
            if (m_directory.empty()) {
                uLongf size = static_cast<uLongf>(out.size());
                compress2(out.data(), &size, reinterpret_cast<const Bytef*>(m_text.data() + start),
                          static_cast<uLong>(kBackupBytes), Z_BEST_SPEED);
            } else {
                WriteDurably(m_text.data() + start, done);
            }
        }
    }

    void WriteDurably(const char* bytes, long long count) {
        const std::string path = (fs::path(m_directory) / ("copy" + std::to_string(count % 4))).string();
        const int descriptor = m_disk->Open(path.c_str(), qm::kOpenTruncate);
        if (descriptor < 0) return;
        m_disk->Write(descriptor, bytes, kCompressedBytes);
        m_disk->Sync(descriptor);
        m_disk->Close(descriptor);
        m_disk->SyncDirectory(m_directory.c_str());
    }

    const std::atomic<long long>& m_rollovers;
    const std::string m_text;
    const std::string m_directory;  // empty: deflate instead of writing
    qm::FileSystem* const m_disk = qm::RealFileSystem();
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// One line through a mode 3 file output rolling over at 1 MB (about every
// 4,000 demo lines), four backups kept; arg 1 turns compression on, args 2
// and 3 leave it off and run a neighbour beside the logging thread.
void BM_RollingFileLine(benchmark::State& state) {
    const bool compress = state.range(0) == 1;
    const bool neighbour = state.range(0) >= 2;
    // Nothing left over from an earlier run competes with this one.
    qm::WaitForBackupCompression();
    const fs::path dir = BenchDirectory(compress ? "on" : neighbour ? "neighbour" : "off");
    // Its own directory, as backups of another log would be.
    const fs::path neighbourFiles = state.range(0) == 3 ? BenchDirectory("neighbour_files") : fs::path();
    const std::string path = (dir / "server.log").make_preferred().string();
    CountingDisk disk;
    CQmFileOutput output;
    QmFileOutputDisk::Use(output, &disk);
    output.SetParams(path.c_str(), 3, 1, 4);
    output.SetCompressBackups(compress);
    if (!output.Open()) {
        state.SkipWithError("cannot open the log");
        return;
    }
    CQmErrLogMessage message(false);
    FormatDemoLine(message, 42);
    std::unique_ptr<BusyNeighbour> busy;
    if (neighbour) busy.reset(new BusyNeighbour(disk.rollovers, neighbourFiles));
    for (auto _ : state) benchmark::DoNotOptimize(output.Log(message));
    busy.reset();
    const double rollovers = static_cast<double>(disk.rollovers.load());
    const double compressed = static_cast<double>(disk.compressions.load());
    state.counters["backups"] = rollovers;
    state.counters["compressed"] = rollovers > 0 && compress ? compressed / rollovers : 0;
    output.Close();
    qm::WaitForBackupCompression();
    fs::remove_all(dir);
    if (!neighbourFiles.empty()) fs::remove_all(neighbourFiles);
}
BENCHMARK(BM_RollingFileLine)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->UseRealTime();

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

// The arms' repetitions interleave unless the command line chooses.
int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
