// One formatted log line to a file: the file output in append mode (1) and
// in size-limited mode (3), next to their floors — one bare write of the same
// bytes, and a mutex-guarded size check plus write, each also on a file that
// rolls over like the output — and next to spdlog writing the same bytes with
// a flush per line (its basic and rotating file sinks), all in one program
// and one run. 1, 2 and 4 threads on one output.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <mutex>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "platform/file_system.h"
#include "qmerrlog/qmerrlog.h"

#if defined(QM_BENCH_WITH_SPDLOG)
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>
#endif

namespace {

const int kMessage = static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1));
// Small enough that every run rolls over many times.
constexpr int kRolloverMb = 1;
constexpr int kBackups = 3;

std::filesystem::path Directory() {
    static const std::filesystem::path directory = [] {
        const std::filesystem::path made = std::filesystem::temp_directory_path() / "qmerrlog_file_bench";
        std::filesystem::remove_all(made);
        std::filesystem::create_directories(made);
        return made;
    }();
    return directory;
}

// The line every benchmark writes, made once.
const std::string& Line() {
    static const std::string line = [] {
        CQmErrLogMessage message(false);
        message.FormatLogProlog("src/server/dbconnect.cpp", 42, 0);
        message.FormatLogMessage(kMessage, "Cannot reach the database");
        return std::string(message.GetBuffer());
    }();
    return line;
}

CQmLogger* FileLogger(int mode) {
    static CQmLogger* loggers[5] = {};
    static std::mutex making;
    std::lock_guard<std::mutex> hold(making);
    if (loggers[mode] == nullptr) {
        const std::string name = "bench-file-" + std::to_string(mode);
        CQmLogger* logger = getMyLogger(name.c_str());
        const std::string path = (Directory() / (name + ".log")).string();
        logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), mode, kRolloverMb, kBackups));
        loggers[mode] = logger;
    }
    return loggers[mode];
}

void LogLines(benchmark::State& state, int mode) {
    CQmLogger* logger = FileLogger(mode);
    CQmErrLogMessage message(false);
    message.AppendText(Line().data(), Line().size());
    for (auto _ : state) benchmark::DoNotOptimize(logger->LogErrMsg(message));
    state.SetBytesProcessed(static_cast<long long>(state.iterations() * Line().size()));
}

void BM_FileMode1(benchmark::State& state) {
    LogLines(state, 1);
}
BENCHMARK(BM_FileMode1)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

void BM_FileMode3Rollover(benchmark::State& state) {
    LogLines(state, 3);
}
BENCHMARK(BM_FileMode3Rollover)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

// Formatting included: what one logging call of a program costs.
void BM_FileMode1Formatted(benchmark::State& state) {
    CQmLogger* logger = FileLogger(1);
    for (auto _ : state) {
        CQmErrLogMessage message(false);
        message.FormatLogProlog("src/server/dbconnect.cpp", 42, 0);
        message.FormatLogMessage(kMessage, "Cannot reach the database");
        benchmark::DoNotOptimize(logger->LogErrMsg(message));
    }
}
BENCHMARK(BM_FileMode1Formatted)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

// The floors use the platform's own file calls: each is one system call.
int FloorDescriptor(const char* name) {
    static std::mutex making;
    std::lock_guard<std::mutex> hold(making);
    static int descriptors[3] = {-1, -1, -1};
    const int index = name[0] == 'w' ? 0 : name[0] == 's' ? 1 : 2;
    if (descriptors[index] < 0) {
        descriptors[index] = qm::RealFileSystem()->Open((Directory() / name).string().c_str(), qm::kOpenAppend);
    }
    return descriptors[index];
}

void BM_FloorBareWrite(benchmark::State& state) {
    qm::FileSystem* disk = qm::RealFileSystem();
    const int descriptor = FloorDescriptor("write.log");
    const std::string& line = Line();
    for (auto _ : state) {
        benchmark::DoNotOptimize(disk->Write(descriptor, line.data(), static_cast<unsigned int>(line.size())));
    }
}
BENCHMARK(BM_FloorBareWrite)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

// Under one mutex per floor (one per Check type): asks the file, then writes.
template <typename Check>
void CheckAndWriteLocked(benchmark::State& state, const char* file, Check check) {
    static std::mutex lock;
    qm::FileSystem* disk = qm::RealFileSystem();
    const int descriptor = FloorDescriptor(file);
    const std::string& line = Line();
    for (auto _ : state) {
        std::lock_guard<std::mutex> hold(lock);
        check(descriptor);
        benchmark::DoNotOptimize(disk->Write(descriptor, line.data(), static_cast<unsigned int>(line.size())));
    }
}

void BM_FloorMutexStatWrite(benchmark::State& state) {
    CheckAndWriteLocked(state, "stat.log", [](int descriptor) {
        qm::FileIdentity identity;
        benchmark::DoNotOptimize(qm::RealFileSystem()->DescribeOpen(descriptor, &identity));
    });
}
BENCHMARK(BM_FloorMutexStatWrite)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

#if !defined(_WIN32)
// The same with fstat(2), which reports the times too. On kernels with
// fine-grained timestamps, reading a file's change time makes the next write
// take a fresh time and journal the inode; the platform's size check asks
// for size and link count only and so keeps each write as cheap as a bare one.
void BM_FloorMutexFstatWrite(benchmark::State& state) {
    CheckAndWriteLocked(state, "fstat.log", [](int descriptor) {
        struct stat info;
        benchmark::DoNotOptimize(fstat(descriptor, &info));
    });
}
BENCHMARK(BM_FloorMutexFstatWrite)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();
#endif

// The floors of a file that rolls over at the same size with the same number
// of backups, the size counted in memory as a rotating sink does: one write
// per line, and with askSize the size asked of the file first (two calls per
// line, what the size-limited mode makes). No output that writes each line
// before it returns can be much faster than the first.
class RotatingFloor {
public:
    explicit RotatingFloor(const char* name) : m_live((Directory() / name).string()) { StartNew(); }

    void Log(const std::string& line, bool askSize) {
        std::lock_guard<std::mutex> hold(m_lock);
        if (askSize) {
            qm::FileIdentity identity;
            if (m_disk->DescribeOpen(m_descriptor, &identity)) m_size = identity.size;
        }
        if (m_size + static_cast<long long>(line.size()) >= kRolloverMb * 1024LL * 1024LL) Roll();
        const long long written = m_disk->Write(m_descriptor, line.data(), static_cast<unsigned int>(line.size()));
        if (written > 0) m_size += written;
    }

private:
    void StartNew() {
        m_descriptor = m_disk->Open(m_live.c_str(), qm::kOpenTruncateAppend);
        m_size = 0;
    }
    void Roll() {
        m_disk->Close(m_descriptor);
        const std::string backup = m_live + "." + std::to_string(m_next);
        m_next = m_next % kBackups + 1;
        m_disk->Remove(backup.c_str());
        m_disk->RenameNoReplace(m_live.c_str(), backup.c_str());
        StartNew();
    }

    qm::FileSystem* m_disk = qm::RealFileSystem();
    const std::string m_live;
    std::mutex m_lock;
    int m_descriptor = -1;
    long long m_size = 0;
    int m_next = 1;
};

void BM_FloorRotatingWrite(benchmark::State& state) {
    static RotatingFloor floor("rotating-write.log");
    const std::string& line = Line();
    for (auto _ : state) floor.Log(line, false);
}
BENCHMARK(BM_FloorRotatingWrite)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

void BM_FloorRotatingStatWrite(benchmark::State& state) {
    static RotatingFloor floor("rotating-stat.log");
    const std::string& line = Line();
    for (auto _ : state) floor.Log(line, true);
}
BENCHMARK(BM_FloorRotatingStatWrite)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

#if defined(QM_BENCH_WITH_SPDLOG)
// The line without its line feed: spdlog adds its own.
std::string Body() {
    return Line().substr(0, Line().size() - 1);
}

void SpdlogLines(benchmark::State& state, std::shared_ptr<spdlog::logger> logger) {
    const std::string body = Body();
    for (auto _ : state) logger->error(body);
}

// A logger over one sink that flushes every line.
std::shared_ptr<spdlog::logger> SpdlogFlushingEachLine(const char* name, spdlog::sink_ptr sink,
                                                       const char* pattern) {
    auto made = std::make_shared<spdlog::logger>(name, std::move(sink));
    made->set_pattern(pattern);
    made->flush_on(spdlog::level::trace);
    return made;
}

void BM_SpdlogFileFlushEachLine(benchmark::State& state) {
    static auto logger = SpdlogFlushingEachLine(
        "bench-basic", std::make_shared<spdlog::sinks::basic_file_sink_mt>((Directory() / "spdlog.log").string()),
        "%v");
    SpdlogLines(state, logger);
}
BENCHMARK(BM_SpdlogFileFlushEachLine)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

void BM_SpdlogRotatingFlushEachLine(benchmark::State& state) {
    static auto logger = SpdlogFlushingEachLine("bench-rotating",
                                                std::make_shared<spdlog::sinks::rotating_file_sink_mt>(
                                                    (Directory() / "spdlog-rotating.log").string(),
                                                    static_cast<std::size_t>(kRolloverMb) * 1024 * 1024, kBackups),
                                                "%v");
    SpdlogLines(state, logger);
}
BENCHMARK(BM_SpdlogRotatingFlushEachLine)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

// Formatting included, next to BM_FileMode1Formatted: spdlog builds the same
// prolog from its own pattern (process and thread id, the date to the second,
// file name and line, level) and writes the same bytes.
void BM_SpdlogFileFormatted(benchmark::State& state) {
    static auto logger = SpdlogFlushingEachLine(
        "bench-formatted",
        std::make_shared<spdlog::sinks::basic_file_sink_mt>((Directory() / "spdlog-formatted.log").string()),
        "[%P/%t][%a %b %d %Y %H:%M:%S][%s:%#][ERROR] %v");
    const spdlog::source_loc where{"src/server/dbconnect.cpp", 42, "Connect"};
    for (auto _ : state) logger->log(where, spdlog::level::err, "Cannot reach the database");
}
BENCHMARK(BM_SpdlogFileFormatted)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
